#pragma once

#include <functional>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/password_source.h"
#include "lang/language_table.h"

namespace dezadav::cli {

// What the many-router commands need from the process around them.
struct FleetContext {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // progress is shown only then
    const LanguageTable& language;
    // The common password, asked for only when some router has no entry of its own in --passwords.
    std::function<PasswordOutcome()> commonPassword;
};

// `backup`: the routers given or found, up to --jobs at a time, each into its own file, then the
// index. Returns the exit status.
int RunBackup(const CliOptions& options, const FleetContext& context);

// `apply` to several routers: the same file to each, up to --jobs at a time, every line printed
// starting with the router's address and a TAB. Returns the exit status.
int RunApplyToMany(const CliOptions& options, const FleetContext& context);

}  // namespace dezadav::cli
