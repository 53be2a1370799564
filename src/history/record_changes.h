#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/settings_history.h"
#include "lang/language_table.h"
#include "settings/settings_difference.h"
#include "settings/settings_snapshot.h"

namespace dezadav {

// The settings of one record of `router`, written in `recordLanguage`'s words, read in the form of the
// model it was recorded from and shown in `shownIn`'s words; nothing (with `problem` set) when the
// record cannot be read.
std::unique_ptr<SettingsSnapshot> ReadRecord(SettingsHistory& history, const HistoryRouter& router,
                                             const HistoryEntry& entry, const LanguageTable& recordLanguage,
                                             const LanguageTable& shownIn,
                                             std::optional<std::string>* problem = nullptr);

// For each of `newestFirst` (a router's records, newest first) the fields that differ from the record
// before it, compared in the record's router form without names and secrets; nothing for the oldest
// record and for a record that, or whose predecessor, cannot be read.
std::vector<std::optional<std::vector<FieldDifference>>> RecordChanges(SettingsHistory& history,
                                                                       const HistoryRouter& router,
                                                                       const std::vector<HistoryEntry>& newestFirst,
                                                                       const LanguageTable& recordLanguage,
                                                                       const LanguageTable& shownIn);

}  // namespace dezadav
