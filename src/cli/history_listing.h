#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav::cli {

// The router --router names as the history keys it: by the MAC address given, or by the MAC of the
// discovery answer from the IP address given (by that address when none comes). Nothing when the
// request cannot be sent (its message has been shown).
std::optional<HistoryRouter> HistoryKeyOf(const CliOptions& options, const LanguageTable& language,
                                          MessagePort& messages);

// The id of the record `name` (kBeforeLastApply, or a record's id or the start of one) names among
// `newestFirst`, the records of the router called `routerName` in the reason; the reason when no
// single record answers to it.
std::optional<std::string> RecordIdNamed(const std::vector<HistoryEntry>& newestFirst, const std::string& name,
                                         const std::string& routerName, std::string& reason);

// `history`: the records of the router --router names, newest first, one TAB-separated line each
// (time, cause, model, id, how many fields differ from the record before), or with --json one JSON
// object. Returns the exit status.
int RunHistory(const CliOptions& options, SettingsHistory& history, std::ostream& out,
               const LanguageTable& language, MessagePort& messages);

}  // namespace dezadav::cli
