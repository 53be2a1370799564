#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/common_options.h"

namespace dezadav::cli {

// What dezadav-cli was asked to do.
enum class CliCommand { Help, Discover, Fetch, Apply, Log, Backup };

// The parsed command line. Values are as given; the shared options carry their own defaults, the
// discovery answers are awaited 2000 ms.
struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::vector<std::string> routers;          // --router: dotted IPv4 addresses, in the order given
    CommonOptions common;                      // --telnet-port, --broadcast, --discovery-port, ...
    std::optional<std::string> model;          // --model: stands in for the Model field
    int waitMs = 2000;                         // --wait: how long discovery answers are taken
    std::string outputFile;                    // --output (fetch)
    std::string inputFile;                     // --input (apply)
    bool dryRun = false;                       // --dry-run (apply)
    bool force = false;                        // --force (apply): a file of the other router form too
    bool showSecrets = false;                  // --show-secrets (apply): print SIP passwords as sent
    std::optional<std::string> passwordFile;   // --password-file
    std::optional<std::string> passwordsFile;  // --passwords: per-router passwords (backup, apply)
    std::string backupDir;                     // --into (backup)
    int jobs = 32;                             // --jobs: routers served at the same time
};

// The limits of --jobs.
inline constexpr int kMinJobs = 1;
inline constexpr int kMaxJobs = 256;

// Where `discover` sends its request when no --broadcast is given.
inline constexpr const char* kDefaultDiscoverTarget = "255.255.255.255";

// The outcome of parsing: options, or the reason the command line is unusable.
struct CliParseResult {
    std::optional<CliOptions> options;
    std::string error;  // set when options is empty
};

// Parses the arguments after the program name. "--help" anywhere asks for help. Options take their
// value as the next argument or after "=" ("--router=10.0.0.1"). Every command accepts only the
// options listed for it in the usage text; a missing required option, an unknown option, a repeated
// option (only backup and apply take several --router, each address once), a malformed address,
// port, time, factor or job count, or a stray argument is an error. The password
// is deliberately not an option.
CliParseResult ParseCliArguments(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string CliUsageText();

// Exit statuses of dezadav-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace dezadav::cli
