#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/discovery_datagram.h"
#include "frontend/common_options.h"

namespace dezadav::cli {

// Long names (without dashes) of the options only dezadav-cli has; the shared ones are named in
// frontend/common_options.h. Parsing, the commands' option lists, the help and the defaults all use
// these spellings.
inline constexpr const char* kRouterOptionName = "router";
inline constexpr const char* kModelOptionName = "model";
inline constexpr const char* kWaitOptionName = "wait";
inline constexpr const char* kOutputOptionName = "output";
inline constexpr const char* kInputOptionName = "input";
inline constexpr const char* kDryRunOptionName = "dry-run";
inline constexpr const char* kForceOptionName = "force";
inline constexpr const char* kShowSecretsOptionName = "show-secrets";
inline constexpr const char* kPasswordFileOptionName = "password-file";
inline constexpr const char* kPasswordsOptionName = "passwords";
inline constexpr const char* kIntoOptionName = "into";
inline constexpr const char* kJobsOptionName = "jobs";
inline constexpr const char* kJsonOptionName = "json";
inline constexpr const char* kFromBackupOptionName = "from-backup";
inline constexpr const char* kToOptionName = "to";
inline constexpr const char* kFormatOptionName = "format";
inline constexpr const char* kReplaceOptionName = "replace";

// How a side of `diff` names a router instead of a settings file: "router:192.168.1.1".
inline constexpr std::string_view kRouterSidePrefix = "router:";

// How a side of `diff` names a record of --router's history: "record:ID", "record:before-last-apply".
inline constexpr std::string_view kRecordSidePrefix = "record:";

// The --to value that names the record taken right before the router's last completed apply.
inline constexpr const char* kBeforeLastApply = "before-last-apply";

// The limits and default of --jobs and of --wait.
inline constexpr int kMinJobs = 1;
inline constexpr int kMaxJobs = 256;
inline constexpr int kDefaultJobs = 32;
inline constexpr int kMaxWaitMs = 600000;
inline constexpr int kDefaultWaitMs = kAnswerWaitMs;

// What dezadav-cli was asked to do.
enum class CliCommand { Help, Version, Discover, Fetch, Apply, Log, Backup, Diff, History, Restore, Show };

// The parsed command line. Values are as given; the shared options carry their own defaults.
struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::optional<CliCommand> helpTopic;       // Help: the command whose help was asked for
    std::vector<std::string> routers;          // --router: IPv4 addresses or host names, in the order given
                                               // (history: also a MAC address, as XX-XX-XX-XX-XX-XX)
    CommonOptions common;                      // --telnet-port, --broadcast, --discovery-port, ...
    std::optional<std::string> model;          // --model: stands in for the Model field
    int waitMs = kDefaultWaitMs;               // --wait: how long discovery answers are taken
    std::string outputFile;                    // --output (fetch); "-" is standard output
    std::string inputFile;                     // --input (apply); "-" is standard input
    std::optional<std::string> inputText;      // the input's bytes, read and checked before any router is contacted
    std::string inputSource;                   // how messages name the input
    std::string fromBackupDir;                 // --from-backup (apply): each router's own backup file
    bool dryRun = false;                       // --dry-run (apply)
    bool force = false;                        // --force (apply): a file of the other router form too
    bool showSecrets = false;                  // --show-secrets (apply): print SIP passwords as sent
    bool jsonSettings = false;                 // --format json (fetch, backup): settings as a JSON document
    bool replace = false;                      // --replace (apply): a JSON document is the whole truth
    std::optional<std::string> passwordFile;   // --password-file
    std::optional<std::string> passwordsFile;  // --passwords: per-router passwords (backup, apply)
    std::string backupDir;                     // --into (backup)
    int jobs = kDefaultJobs;                   // --jobs: routers served at the same time
    bool json = false;                         // --json (discover, backup, diff, history): one JSON document
    std::vector<std::string> diffSides;        // diff: A and B, each a file path or "router:HOST"; show: the one
    std::string restoreTo;                     // --to (restore): kBeforeLastApply or a record's id
};

// Where `discover` sends its request when no --broadcast is given.
inline constexpr std::string_view kDefaultDiscoverTarget = kLimitedBroadcastAddress;

// The --output value that means standard output.
inline constexpr const char* kStandardOutputName = "-";

// An option's value that does not come from the command line: a line of the settings file or an
// environment variable. `source` names where it came from, for the message when it is unusable.
struct OptionDefault {
    std::string name;  // long option name without dashes
    std::string value;
    std::string source;
};

// The outcome of parsing: options, or the reason the command line is unusable.
struct CliParseResult {
    std::optional<CliOptions> options;
    std::string error;        // set when options is empty: one line, no line end
    std::string commandWord;  // the command the error belongs to, when one was recognised
};

// Parses the arguments after the program name. "-h" or "--help" anywhere asks for help (of the
// command when one is named first), "--version" for the version. Options take their value as the
// next argument or after "=" ("--router=10.0.0.1"). Every command accepts only the options listed
// in its help; a missing required option, an unknown option, a repeated option (only backup and
// apply take several --router, each once), a malformed address, host name, port, time, factor or
// job count, or a stray argument is an error (only diff takes arguments: exactly two, each a file
// path or "router:HOST"). The password is deliberately not an option.
// `defaults`, weakest first, fill the options the command accepts and the command line left out.
CliParseResult ParseCliArguments(const std::vector<std::string>& args,
                                 const std::vector<OptionDefault>& defaults = {});

// True for a MAC address: "00-11-22-33-44-55" or "00:11:22:33:44:55", either case.
bool IsMacAddressText(const std::string& text);

// The text printed by --help without a command, and by "COMMAND --help".
std::string CliUsageText();
std::string CliCommandHelpText(CliCommand command);

// "dezadav-cli VERSION".
std::string CliVersionText();

// What a usage error prints: the reason on one line, then where to read more.
std::string UsageErrorText(const std::string& reason, const std::string& commandWord);

// The word that names a command on the command line ("fetch"); empty for Help and Version.
std::string CommandWord(CliCommand command);

// Exit statuses of dezadav-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace dezadav::cli
