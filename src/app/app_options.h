#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "frontend/common_options.h"

namespace dezadav {

// Options of the windowed program.
struct AppOptions {
    CommonOptions common;  // where routers are looked for, the telnet port, ...
    // A settings file given as the one argument (as "Open with" passes it), with an absolute path:
    // loaded after the first Connect sequence.
    std::optional<std::string> settingsFile;
};

struct AppParseResult {
    std::optional<AppOptions> options;  // empty for --help and for errors
    bool help = false;                  // --help or -h: print HelpText() and end
    bool version = false;               // --version: print VersionText() and end
    std::string error;                  // why the command line is unusable
};

// Parses the whole command line (program name first). Unknown options and a second argument are
// errors.
AppParseResult ParseAppArguments(const QStringList& arguments);

// The --help text.
std::string AppHelpText();

// The --version text: "dezadav VERSION".
std::string AppVersionText();

}  // namespace dezadav
