#pragma once

#include "cli/cli_options.h"
#include "cli/fleet_commands.h"

namespace dezadav::cli {

// `diff A B`: reads both sides (a settings file, or "router:HOST" fetched live), compares them field
// by field and prints one line per differing field, or the JSON document with --json. Returns 0
// when they are equal, 1 when they differ, 2 when a side cannot be read (its reason has been printed
// on stderr): a script can tell "changed" from "could not look".
int RunDiff(const CliOptions& options, const FleetContext& context);

// `show SETTINGS`: reads one side as diff does and prints every field, "area · field" TAB value, in
// page order (passwords as ******** unless --show-secrets), or with --json the settings document.
// Returns 0, or 2 when it cannot be read (its reason printed on stderr).
int RunShow(const CliOptions& options, const FleetContext& context);

}  // namespace dezadav::cli
