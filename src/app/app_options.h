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
    std::string error;                  // why the command line is unusable
};

// Reads the options the window can act on from a parser that has parsed its arguments, with the
// common options added: the window does not stretch its waits or record a transcript yet, so a time
// scale other than 1 and a transcript file are refused. Returns why the options are unusable, or
// nothing.
std::optional<std::string> ReadWindowOptions(const QCommandLineParser& parser, CommonOptions& options);

// Parses the whole command line (program name first). Unknown options and a second argument are
// errors.
AppParseResult ParseAppArguments(const QStringList& arguments);

// The --help text.
std::string AppHelpText();

}  // namespace dezadav
