#include "workflow/settings_recorder.h"

#include "history/record_changes.h"
#include "lang/messages.h"
#include "settings/settings_snapshot.h"

namespace dezadav {

std::optional<HistoryOutcome> SettingsRecorder::Record(const HistoryRouter& key, const RouterSettings& held,
                                                       bool twoPort, HistoryCause cause, bool onlyWhenChanged) const {
    if (m_history == nullptr) return std::nullopt;
    // Defaults standing in for a part the router did not tell would one day be restored as if the
    // router had held them.
    const std::optional<std::string> text = RouterSettingsText(held, twoPort, m_language, *m_recordLanguage);
    if (!text) return std::nullopt;
    return m_history->Record(key, cause, *text, onlyWhenChanged);
}

std::vector<FieldDifference> SettingsRecorder::ApplyPreview(const RouterSettings& held, const ApplyPlan& plan,
                                                            bool twoPort) const {
    RouterSettings after = held;
    RecordApplied(plan, true, plan.commands.size(), twoPort, after);
    const auto before = RouterSettingsSnapshot(held, twoPort, m_language);
    const auto changed = RouterSettingsSnapshot(after, twoPort, m_language);
    return CompareSettings(before->View(), changed->View(), CompareOptions{twoPort, false, false}, m_language);
}

std::vector<HistoryEntry> SettingsRecorder::Records(const HistoryRouter& key,
                                                    std::optional<std::string>* problem) const {
    if (m_history == nullptr) return {};
    return m_history->Entries(key, problem);
}

std::vector<std::optional<std::vector<FieldDifference>>> SettingsRecorder::Changes(
    const HistoryRouter& key, const std::vector<HistoryEntry>& records) const {
    if (m_history == nullptr) return std::vector<std::optional<std::vector<FieldDifference>>>(records.size());
    return RecordChanges(*m_history, key, records, *m_recordLanguage, m_language);
}

std::optional<std::vector<FieldDifference>> SettingsRecorder::RecordAgainst(const HistoryRouter& key,
                                                                            const HistoryEntry& record,
                                                                            const SettingsView& pages, bool twoPort,
                                                                            std::optional<std::string>* problem) const {
    if (m_history == nullptr) {
        if (problem != nullptr) *problem = std::string(kNoHistoryKept);
        return std::nullopt;
    }
    const std::unique_ptr<SettingsSnapshot> settings =
        ReadRecord(*m_history, key, record, *m_recordLanguage, m_language, problem);
    if (!settings) return std::nullopt;
    return CompareSettings(pages, settings->View(), CompareOptions{twoPort, false, false}, m_language);
}

std::optional<std::string> SettingsRecorder::RecordText(const HistoryRouter& key, const std::string& id, bool twoPort,
                                                        std::string* problem) const {
    std::optional<std::string> reason;
    std::optional<std::string> text = m_history == nullptr ? std::nullopt : m_history->SettingsAt(key, id, &reason);
    if (!text) {
        *problem = reason.value_or(std::string(kNoHistoryKept));
        return std::nullopt;
    }
    if (m_recordLanguage->CurrentLanguage() == m_language.CurrentLanguage()) return text;
    // The record in the models' words, as a file saved now would have them.
    std::unique_ptr<SettingsSnapshot> settings = ReadSettingsSnapshot(*text, twoPort, *m_recordLanguage);
    settings->ShowIn(m_language);
    return SettingsTextIn(settings->dialPlan, settings->sip, settings->codec, m_language);
}

std::optional<std::string> SettingsRecorder::UndoRecord(const HistoryRouter& key, std::string* problem) const {
    std::optional<std::string> unreadable;
    const std::vector<HistoryEntry> records = Records(key, &unreadable);
    if (unreadable) {
        *problem = *unreadable;
        return std::nullopt;
    }
    bool beforeMissing = false;
    std::optional<std::string> id = BeforeLastApplyId(records, &beforeMissing);
    const std::string name = key.Name();
    if (!id) *problem = beforeMissing ? NoBeforeApplyRecordText(name) : NoApplyRecordedText(name);
    return id;
}

}  // namespace dezadav
