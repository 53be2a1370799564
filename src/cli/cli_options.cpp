#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "discovery/discovery_targets.h"
#include "text/decimal_text.h"

namespace dezadav::cli {

namespace {

struct CommandRule {
    std::string_view word;
    CliCommand command;
    std::set<std::string_view> allowed;     // long option names this command accepts
    std::set<std::string_view> repeatable;  // of those, the ones that may be given more than once
};

// Which options each command accepts. The router commands share the common options; `log` accepts
// them too so that scripts can pass one set of options to every command.
const std::vector<CommandRule>& Commands() {
    static const std::vector<CommandRule> commands = {
        {"discover", CliCommand::Discover, {"broadcast", "discovery-port", "wait"}, {}},
        {"fetch",
         CliCommand::Fetch,
         {"router", "telnet-port", "model", "discovery-port", "wait", "password-file", "time-scale",
          "transcript", "output"},
         {}},
        {"apply",
         CliCommand::Apply,
         {"router", "telnet-port", "model", "discovery-port", "wait", "password-file", "time-scale",
          "transcript", "input", "dry-run", "force", "show-secrets", "jobs", "passwords"},
         {"router"}},
        {"log",
         CliCommand::Log,
         {"router", "telnet-port", "model", "discovery-port", "wait", "password-file", "time-scale",
          "transcript"},
         {}},
        {"backup",
         CliCommand::Backup,
         {"router", "telnet-port", "model", "broadcast", "discovery-port", "wait", "password-file",
          "passwords", "jobs", "into", "time-scale", "transcript"},
         {"router"}},
    };
    return commands;
}

// The options only dezadav-cli has; the flag is the one without a value.
void AddCliOptions(QCommandLineParser& parser) {
    AddCommonOptions(parser);
    for (const char* name :
         {"router", "model", "wait", "output", "input", "password-file", "passwords", "into", "jobs"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    }
    for (const char* flag : {"dry-run", "force", "show-secrets"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
    }
}

// A whole decimal number and nothing else; numbers too large for any limit here read as too large.
std::optional<long> ParseDecimal(const std::string& text) {
    const DigitRun run = ReadDigitRun(text);
    if (run.length == 0 || run.length != text.size()) return std::nullopt;
    return static_cast<long>(run.value);
}

CliParseResult Fail(std::string message) {
    return CliParseResult{std::nullopt, std::move(message)};
}

// Why the parser refused the arguments, said the way the other refusals are said: an unknown option,
// a flag given a value, or a value-taking option at the end without its value.
std::string ParserRefusal(const QCommandLineParser& parser, const std::vector<std::string>& args) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const std::string name = parser.unknownOptionNames().front().toStdString();
        return "unknown option '" + std::string(name.size() == 1 ? "-" : "--") + name + "'";
    }
    for (const std::string& arg : args) {
        for (const std::string_view flag : {"--dry-run", "--force", "--show-secrets"}) {
            if (arg.starts_with(std::string(flag) + "="))
                return "option " + std::string(flag) + " takes no value";
        }
    }
    if (args.back().starts_with("--")) return "option " + args.back() + " needs a value";
    return parser.errorText().toStdString();
}

std::string Value(const QCommandLineParser& parser, const char* name) {
    return parser.value(QString::fromLatin1(name)).toStdString();
}

// Checks the values of the options given and fills `options` from them.
std::optional<std::string> ReadValues(const QCommandLineParser& parser, CliOptions& options) {
    for (const QString& router : parser.values(QStringLiteral("router"))) {
        if (!IsDottedIpv4Address(router.toStdString()))
            return "--router needs a dotted IPv4 address, not '" + router.toStdString() + "'";
        if (std::find(options.routers.begin(), options.routers.end(), router.toStdString()) !=
            options.routers.end()) {
            return "router " + router.toStdString() + " given twice";
        }
        options.routers.push_back(router.toStdString());
    }
    if (auto error = ReadCommonOptions(parser, options.common)) return error;
    if (parser.isSet(QStringLiteral("model"))) options.model = Value(parser, "model");
    if (parser.isSet(QStringLiteral("wait"))) {
        const std::string text = Value(parser, "wait");
        auto ms = ParseDecimal(text);
        if (!ms || *ms > 600000) return "--wait needs milliseconds from 0 to 600000, not '" + text + "'";
        options.waitMs = static_cast<int>(*ms);
    }
    if (parser.isSet(QStringLiteral("jobs"))) {
        const std::string text = Value(parser, "jobs");
        auto jobs = ParseDecimal(text);
        if (!jobs || *jobs < kMinJobs || *jobs > kMaxJobs)
            return "--jobs needs a number from 1 to 256, not '" + text + "'";
        options.jobs = static_cast<int>(*jobs);
    }
    const std::pair<const char*, std::string*> files[] = {
        {"output", &options.outputFile}, {"input", &options.inputFile}, {"into", &options.backupDir}};
    for (const auto& [name, target] : files) {
        if (!parser.isSet(QString::fromLatin1(name))) continue;
        *target = Value(parser, name);
        if (target->empty()) return "option --" + std::string(name) + " needs a file name";
    }
    const std::pair<const char*, std::optional<std::string>*> optionalFiles[] = {
        {"password-file", &options.passwordFile}, {"passwords", &options.passwordsFile}};
    for (const auto& [name, target] : optionalFiles) {
        if (!parser.isSet(QString::fromLatin1(name))) continue;
        *target = Value(parser, name);
        if ((*target)->empty()) return "option --" + std::string(name) + " needs a file name";
    }
    options.dryRun = parser.isSet(QStringLiteral("dry-run"));
    options.force = parser.isSet(QStringLiteral("force"));
    options.showSecrets = parser.isSet(QStringLiteral("show-secrets"));
    return std::nullopt;
}

}  // namespace

CliParseResult ParseCliArguments(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help") return CliParseResult{CliOptions{}, {}};
    }
    if (args.empty()) return Fail("no command given");

    const std::string& commandWord = args[0];
    const CommandRule* rule = nullptr;
    for (const CommandRule& candidate : Commands()) {
        if (candidate.word == commandWord) rule = &candidate;
    }
    if (rule == nullptr) return Fail("unknown command '" + commandWord + "'");

    QCommandLineParser parser;
    AddCliOptions(parser);
    QStringList arguments{QStringLiteral("dezadav-cli")};
    for (std::size_t i = 1; i < args.size(); ++i) arguments << QString::fromStdString(args[i]);
    if (!parser.parse(arguments)) return Fail(ParserRefusal(parser, args));
    if (!parser.positionalArguments().isEmpty()) {
        return Fail("unexpected argument '" + parser.positionalArguments().front().toStdString() + "'");
    }

    std::map<std::string, int> timesGiven;
    for (const QString& given : parser.optionNames()) {
        const std::string name = given.toStdString();
        if (!rule->allowed.contains(name))
            return Fail("option --" + name + " does not apply to '" + commandWord + "'");
        if (++timesGiven[name] > 1 && !rule->repeatable.contains(name))
            return Fail("option --" + name + " given twice");
    }

    CliOptions options;
    options.command = rule->command;
    if (auto error = ReadValues(parser, options)) return Fail(*error);

    if (options.command == CliCommand::Backup) {
        if (options.backupDir.empty()) return Fail("'backup' needs --into DIR");
    } else if (options.command != CliCommand::Discover && options.routers.empty()) {
        return Fail("'" + commandWord + "' needs --router IP");
    }
    if (options.command == CliCommand::Fetch && options.outputFile.empty()) {
        return Fail("'fetch' needs --output FILE");
    }
    if (options.command == CliCommand::Apply && options.inputFile.empty()) {
        return Fail("'apply' needs --input FILE");
    }
    return CliParseResult{std::move(options), {}};
}

std::string CliUsageText() {
    return R"(Usage:
  dezadav-cli discover [--broadcast ADDR] [--discovery-port N] [--wait MS]
  dezadav-cli fetch --router IP [--model NAME] --output FILE [common options]
  dezadav-cli apply --router IP [--router IP]... [--model NAME] --input FILE [--dry-run]
                    [--force] [--show-secrets] [--jobs N] [--passwords FILE] [common options]
  dezadav-cli log --router IP [common options]
  dezadav-cli backup --into DIR [--router IP]... [--broadcast ADDR] [--jobs N] [--passwords FILE]
                     [common options]
  dezadav-cli --help

Commands:
  discover   Sends one discovery request to ADDR (default 255.255.255.255) and prints one line per
             router that answers within MS milliseconds (default 2000), in arrival order: model, IP
             address, subnet mask, MAC address and firmware version, separated by TAB.
  fetch      Logs in to the router, reads all its VoIP settings and writes them to FILE in the
             settings-file layout that Save All writes (dial plan, SIP, codec, VoIP log).
  apply      Logs in, reads all settings, loads FILE over them and applies the result to the router.
             Prints every router command it sends, one per line, in order, then
             "Settings have been applied to router.". With --dry-run it logs in and reads the
             settings, prints the commands the apply would send, and sends none of them.
             A FILE saved from the other router form (one-port or two-port) is refused unless
             --force is given: its dial-plan and expiry values do not carry over whole.
             SIP passwords are printed as ******** unless --show-secrets is given.
             With several --router the same FILE goes to each router, up to N at a time; every
             line printed starts with the router's IP address and a TAB, and each router ends
             with one line: its address and the success text or its failure message.
  log        Logs in and reads the VoIP call log only; prints one line per call record with its six
             columns (index, date, time, duration, direction, address) separated by TAB.
  backup     Backs up every router into DIR, up to N at a time: the routers given with --router,
             or else every router that answers one discovery request (as discover) with a
             supported model. Each router's settings go to DIR/<MAC>.csv (DIR/<IP>.csv when no
             discovery answer gave its MAC address), the bytes fetch writes; a file is replaced
             only by a complete new one, readable by its owner only. With no router found or
             given, nothing is written. DIR/index.tsv, written last, has one line per router:
             MAC, IP, model, firmware version, file name, and "ok", "unsupported model" or the
             failure message, separated by TAB. On a terminal, stderr shows the progress.

Common options:
  --router IP            dotted IPv4 address of the router (required by fetch, apply and log)
  --telnet-port N        TCP port of the router's command line (default 23)
  --model NAME           model name of the router; decides one-port or two-port handling exactly as
                         the main window's Model field does. When omitted, the discovery request is
                         sent to the router's own address and the model name of its answer is used.
  --discovery-port N     UDP port of the discovery request (default 56415)
  --wait MS              how long discovery answers are awaited (default 2000)
  --password-file F      read the password from the first line of F
  --time-scale F         make every wait of the router dialogue F times as long, for slow routers
                         (a number from 1 to 20, default 1)
  --transcript FILE      append a record of every router exchange to FILE
  --jobs N               routers served at the same time, 1 to 256 (default 32)
  --passwords FILE       per-router passwords: lines "ADDRESS PASSWORD", the address an IP or a MAC
                         address, '#' starting a comment line; overrides the common password. The
                         file must not be readable by group or others.

Password:
  Taken from the environment variable DEZADAV_PASSWORD when it is set, else from --password-file,
  else asked for on the terminal without echo. It is never taken from the command line and never
  printed.

Exit status:
  0  success
  1  a router or file operation failed (with several routers: any of them); its message is
     printed on stderr (for example "Failed to login router!")
  2  the command line is unusable; the reason and this text are printed on stderr
)";
}

}  // namespace dezadav::cli
