#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

namespace dezadav {

// Options of the windowed program: where it looks for routers and which telnet port it uses.
struct AppOptions {
    std::uint16_t telnetPort = 23;         // --telnet-port
    std::optional<std::string> broadcast;  // --broadcast: one address instead of the broadcast targets
    std::uint16_t discoveryPort = 56415;   // --discovery-port
    // --demo-script DIR (not in --help): the window plays the user itself — picks the first router
    // listed, types the password, waits for the fetch, saves a picture of each page into DIR ("-":
    // none), prints its milestones and ends. Used by the demo and the start-up benchmark.
    std::optional<std::string> demoScript;
};

struct AppParseResult {
    std::optional<AppOptions> options;  // empty for --help and for errors
    bool help = false;                  // --help or -h: print HelpText() and end
    std::string error;                  // why the command line is unusable
};

// Parses the whole command line (program name first). Ports are 1..65535; the broadcast address is a
// dotted IPv4 address. Unknown options and stray arguments are errors.
AppParseResult ParseAppArguments(const QStringList& arguments);

// The --help text.
std::string AppHelpText();

}  // namespace dezadav
