#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/settings_history.h"
#include "lang/language_table.h"
#include "session/apply_commands.h"
#include "settings/router_settings.h"
#include "settings/settings_difference.h"

namespace dezadav {

// The history side of the workflow: what is recorded of a router, the fields an apply is about to
// change, the records a router has and the one Undo and restore go back to. It sees what the router
// holds (`RouterSettings`), the apply plan, the router's key and the history; never the pages, so a
// record can only be what the router held.
class SettingsRecorder {
public:
    // `language` is the words the workflow's models show (what RouterSettings' dial-plan texts are in).
    explicit SettingsRecorder(const LanguageTable& language) : m_language(language), m_recordLanguage(&language) {}

    // Where records go (nullptr: nowhere); `fetchCause` is what a full fetch records as (Fetch, or
    // Backup for a backup's fetch).
    void SetHistory(SettingsHistory* history, HistoryCause fetchCause) {
        m_history = history;
        m_fetchCause = fetchCause;
    }
    SettingsHistory* History() const { return m_history; }
    HistoryCause FetchCause() const { return m_fetchCause; }
    // The words records are written in. A window that switches language gives a table of one language
    // that never changes, so that a record taken in one language is read whole in another.
    void SetRecordLanguage(const LanguageTable& language) { m_recordLanguage = &language; }

    // Records `held`, what the router `key` holds, under `cause` (with `onlyWhenChanged`, not when it
    // equals the router's last record). Nothing without a history or while a part of it is not known.
    std::optional<HistoryOutcome> Record(const HistoryRouter& key, const RouterSettings& held, bool twoPort,
                                         HistoryCause cause, bool onlyWhenChanged) const;

    // The fields `plan` changes on a router holding `held`: `held` against `held` with the plan gone
    // through, in the router's form, without names (a router keeps none), passwords hidden.
    std::vector<FieldDifference> ApplyPreview(const RouterSettings& held, const ApplyPlan& plan, bool twoPort) const;

    // The records of router `key`, newest first (none without a history; `problem` set when they cannot
    // be read).
    std::vector<HistoryEntry> Records(const HistoryRouter& key, std::optional<std::string>* problem) const;
    // For each of `records` the fields that differ from the record before it (RecordChanges).
    std::vector<std::optional<std::vector<FieldDifference>>> Changes(const HistoryRouter& key,
                                                                     const std::vector<HistoryEntry>& records) const;
    // The fields in which `record` differs from `pages` (the pages before, the record after: what a
    // restore would change), without names; nothing (with `problem` set) when it cannot be read.
    std::optional<std::vector<FieldDifference>> RecordAgainst(const HistoryRouter& key, const HistoryEntry& record,
                                                              const SettingsView& pages, bool twoPort,
                                                              std::optional<std::string>* problem) const;
    // The settings of record `id` in the models' words, as a settings file saved now would hold them;
    // nothing (with `problem` set) without a history or such a record.
    std::optional<std::string> RecordText(const HistoryRouter& key, const std::string& id, bool twoPort,
                                          std::string* problem) const;
    // The record Undo and `restore --to before-last-apply` go back to (BeforeLastApplyId); nothing,
    // with `problem` saying why, when there is none.
    std::optional<std::string> UndoRecord(const HistoryRouter& key, std::string* problem) const;

private:
    const LanguageTable& m_language;
    const LanguageTable* m_recordLanguage;
    SettingsHistory* m_history = nullptr;
    HistoryCause m_fetchCause = HistoryCause::Fetch;
};

}  // namespace dezadav
