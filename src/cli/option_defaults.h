#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace dezadav::cli {

// The options a user may set once instead of on every command line, with the environment variable
// that sets each: their names are also the keys of the settings file.
struct DefaultableOption {
    const char* name;         // long option name, and key in the settings file
    const char* environment;  // DEZADAV_...
};
const std::vector<DefaultableOption>& DefaultableOptions();

// Reads the defaults of the settings file `configFile` (QSettings INI: "telnet-port=2323" lines;
// a missing file sets nothing) and then of the environment, weakest first, so the environment's
// come after the file's. An empty environment variable sets nothing. Returns the reason when the
// file cannot be read or holds a key that is no defaultable option.
std::optional<std::string> ReadOptionDefaults(
    const std::string& configFile, const std::function<std::optional<std::string>(const char*)>& environment,
    std::vector<OptionDefault>& defaults);

// Where dezadav-cli looks for its settings file: $XDG_CONFIG_HOME/dezadav/cli.conf, by default
// ~/.config/dezadav/cli.conf.
std::string CliConfigFilePath();

}  // namespace dezadav::cli
