#pragma once

#include <functional>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/password_source.h"
#include "cli/password_table.h"
#include "cli/router_job.h"
#include "discovery/router_info.h"
#include "history/settings_history.h"
#include "lang/language_table.h"
#include "session/transcript.h"

namespace dezadav::cli {

// What the router commands need from the process around them.
struct FleetContext {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // progress is shown only then
    const LanguageTable& language;
    // The common password, asked for only when some router has no entry of its own in --passwords.
    std::function<PasswordOutcome()> commonPassword;
    TranscriptSink* transcript = nullptr;  // every router's exchanges are recorded here when given
    SettingsHistory* history = nullptr;    // every router's settings are recorded here when given
};

// The passwords of a run: the --passwords table when given, and the common password unless every
// router has a line of its own there.
struct RunPasswords {
    PasswordTable table;
    bool tableGiven = false;
    std::string common;
    bool noCommon = false;  // no common password could be had: a router without a line is not served
};

// Reads the passwords of a run over `routers`. When the table names routers by MAC address, the
// routers known by IP address alone are asked for their fields by discovery first (what they tell
// fills `routers`). When some router has no line and no common password can be had, the run still
// serves the routers that have one, unless none has. False when the run cannot go on: the reason has
// been printed and `exitStatus` says how the run ends.
bool PreparePasswords(const CliOptions& options, const FleetContext& context, std::vector<RouterInfo>& routers,
                      RunPasswords& passwords, int& exitStatus);

// A router's exchange as the options of the run ask for it (no router named yet).
RouterJobRequest BaseRequest(const CliOptions& options, const FleetContext& context, RouterJobKind kind,
                             const RunPasswords& passwords);

// `backup`: the routers given or found, up to --jobs at a time, each into its own file, then the
// index. Returns the exit status.
int RunBackup(const CliOptions& options, const FleetContext& context);

// `apply` to several routers: the same file to each, up to --jobs at a time, every line printed
// starting with the router's address and a TAB. Returns the exit status.
int RunApplyToMany(const CliOptions& options, const FleetContext& context);

}  // namespace dezadav::cli
