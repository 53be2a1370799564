#pragma once

#include <ostream>

#include "cli/cli_options.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav::cli {

// `history`: the records of the router --router names, newest first, one TAB-separated line each
// (time, cause, model, id, how many fields differ from the record before), or with --json one JSON
// document. A router given by IP address is looked up by the MAC its discovery answer gives. Returns
// the exit status.
int RunHistory(const CliOptions& options, SettingsHistory& history, std::ostream& out,
               const LanguageTable& language, MessagePort& messages);

}  // namespace dezadav::cli
