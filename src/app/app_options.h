#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

namespace dezadav {

// Where the windowed program looks for routers and which telnet port it uses.
struct RouterOptions {
    std::uint16_t telnetPort = 23;         // --telnet-port
    std::optional<std::string> broadcast;  // --broadcast: one address instead of the broadcast targets
    std::uint16_t discoveryPort = 56415;   // --discovery-port
};

// Options of the windowed program.
struct AppOptions {
    RouterOptions routers;
    // A settings file given as the one argument (as "Open with" passes it), with an absolute path:
    // loaded after the first Connect sequence.
    std::optional<std::string> settingsFile;
};

struct AppParseResult {
    std::optional<AppOptions> options;  // empty for --help and for errors
    bool help = false;                  // --help or -h: print HelpText() and end
    std::string error;                  // why the command line is unusable
};

// Adds --telnet-port, --broadcast and --discovery-port to `parser`.
void AddRouterOptions(QCommandLineParser& parser);

// Reads them from a parser that has parsed its arguments. Ports are 1..65535; the broadcast address
// is a dotted IPv4 address; each is given at most once. Returns why one is unusable, or nothing.
std::optional<std::string> ReadRouterOptions(const QCommandLineParser& parser, RouterOptions& options);

// Parses the whole command line (program name first). Unknown options and a second argument are
// errors.
AppParseResult ParseAppArguments(const QStringList& arguments);

// The --help text.
std::string AppHelpText();

}  // namespace dezadav
