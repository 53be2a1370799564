#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav::cli {

// What dezadav-cli was asked to do.
enum class CliCommand { Help, Discover, Fetch, Apply, Log };

// The parsed command line. Values are as given; defaults are the router's standard ports, the
// limited broadcast address and a 2000 ms answer window.
struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string routerIp;                       // --router: dotted IPv4 address of the router
    uint16_t telnetPort = 23;                   // --telnet-port
    std::optional<std::string> model;           // --model: stands in for the Model field
    uint16_t discoveryPort = 56415;             // --discovery-port
    std::string broadcast = "255.255.255.255";  // --broadcast (discover)
    int waitMs = 2000;                          // --wait: how long discovery answers are taken
    std::string outputFile;                     // --output (fetch)
    std::string inputFile;                      // --input (apply)
    bool dryRun = false;                        // --dry-run (apply)
    std::optional<std::string> passwordFile;    // --password-file
};

// The outcome of parsing: options, or the reason the command line is unusable.
struct CliParseResult {
    std::optional<CliOptions> options;
    std::string error;  // set when options is empty
};

// Parses the arguments after the program name. "--help" anywhere asks for help. Options take their
// value as the next argument or after "=" ("--router=10.0.0.1"). Every command accepts only the
// options listed for it in the usage text; a missing required option, an unknown option, a repeated
// option, a malformed address, port or time, or a stray argument is an error. The password is
// deliberately not an option.
CliParseResult ParseCliArguments(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string CliUsageText();


// Exit statuses of dezadav-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace dezadav::cli
