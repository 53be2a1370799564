#include "history/record_changes.h"

#include "settings/router_model.h"

namespace dezadav {

std::unique_ptr<SettingsSnapshot> ReadRecord(SettingsHistory& history, const HistoryRouter& router,
                                             const HistoryEntry& entry, const LanguageTable& recordLanguage,
                                             const LanguageTable& shownIn, std::optional<std::string>* problem) {
    std::optional<std::string> reason;
    const std::optional<std::string> text = history.SettingsAt(router, entry.id, &reason);
    if (!text) {
        if (problem != nullptr) *problem = reason;
        return nullptr;
    }
    std::unique_ptr<SettingsSnapshot> settings =
        ReadSettingsSnapshot(*text, IsTwoPortModel(entry.model), recordLanguage);
    settings->ShowIn(shownIn);
    return settings;
}

std::vector<std::optional<std::vector<FieldDifference>>> RecordChanges(SettingsHistory& history,
                                                                       const HistoryRouter& router,
                                                                       const std::vector<HistoryEntry>& newestFirst,
                                                                       const LanguageTable& recordLanguage,
                                                                       const LanguageTable& shownIn) {
    std::vector<std::optional<std::vector<FieldDifference>>> changes(newestFirst.size());
    std::unique_ptr<SettingsSnapshot> older;
    for (std::size_t i = newestFirst.size(); i-- > 0;) {
        std::unique_ptr<SettingsSnapshot> current =
            ReadRecord(history, router, newestFirst[i], recordLanguage, shownIn);
        if (current && older) {
            const CompareOptions compare{IsTwoPortModel(newestFirst[i].model), false, false};
            changes[i] = CompareSettings(older->View(), current->View(), compare, shownIn);
        }
        older = std::move(current);  // walking from the oldest: this one is the next one's "before"
    }
    return changes;
}

}  // namespace dezadav
