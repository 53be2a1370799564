#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string_view>

#include "cli/option_defaults.h"
#include "cli/password_source.h"
#include "discovery/discovery_targets.h"
#include "lang/messages.h"
#include "text/decimal_text.h"

namespace dezadav::cli {

bool IsMacAddressText(const std::string& text) {
    if (text.size() != 17) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % 3 == 2) {
            if (text[i] != '-' && text[i] != ':') return false;
        } else if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

namespace {

std::string Number(long value) {
    return std::to_string(value);
}

// One option as the help shows it.
struct OptionHelp {
    const char* name;
    std::string_view valueName;  // empty for a flag
    std::string text;            // wrapped at 72 columns, continuation lines without indentation
};

const std::vector<OptionHelp>& OptionHelps() {
    static const std::vector<OptionHelp> options = {
        {kRouterOptionName, "HOST",
         "the router: a dotted IPv4 address, or a host name looked up once (IPv4)"},
        {kModelOptionName, "NAME",
         "model name of the router; decides one-port or two-port handling exactly as\n"
         "the window's Model field does. When omitted, the discovery request is sent\n"
         "to the router's own address and the model name of its answer is used"},
        {kOutputOptionName, "FILE", "the settings file to write; - writes it to standard output"},
        {kInputOptionName, "FILE", "the settings file to load over the router's settings"},
        {kDryRunOptionName, "", "print the commands the apply would send and send none of them"},
        {kForceOptionName, "",
         "apply a FILE saved from the other router form (one-port or two-port) all the\n"
         "same: its loop-through, backup numbers and expiry times do not carry over whole"},
        {kFromBackupOptionName, "DIR",
         "instead of --input: each router gets the file a backup into DIR wrote of it,\n"
         "DIR/<MAC>.csv (DIR/<IP>.csv when no discovery answer gives its MAC address)"},
        {kShowSecretsOptionName, "",
         "print the SIP passwords an apply sends or diff compares; without it they\nshow as ********"},
        {kJsonOptionName, "", "print one JSON document on standard output instead of lines"},
        {kIntoOptionName, "DIR", "the folder of the backup files and their index.tsv"},
        {kTelnetPortOptionName, "N",
         "TCP port of the router's command line (default " + Number(kTelnetPort) + ")"},
        {kBroadcastOptionName, "ADDR",
         "send the discovery request to this IPv4 address (default " + std::string(kDefaultDiscoverTarget) +
             ")"},
        {kDiscoveryPortOptionName, "N",
         "UDP port of the discovery request (default " + Number(kDiscoveryPort) + ")"},
        {kWaitOptionName, "MS",
         "how long discovery answers are awaited, 0 to " + Number(kMaxWaitMs) + " (default " +
             Number(kDefaultWaitMs) + ")"},
        {kPasswordFileOptionName, "FILE", "read the common password from the first line of FILE"},
        {kPasswordsOptionName, "FILE",
         "per-router passwords: lines \"ADDRESS PASSWORD\", the address an IP or a MAC\n"
         "address, '#' starting a comment line; overrides the common password. The\n"
         "file must not be readable by group or others"},
        {kJobsOptionName, "N",
         "routers served at the same time, " + Number(kMinJobs) + " to " + Number(kMaxJobs) + " (default " +
             Number(kDefaultJobs) + ")"},
        {kTimeScaleOptionName, "F",
         "make every wait of the router dialogue F times as long, for slow routers\n(" +
             WantedNumberText(kMinTimeScale, kMaxTimeScale) + ", default " + Number(kMinTimeScale) + ")"},
        {kTranscriptOptionName, "FILE", "append a record of every router exchange to FILE"},
        {kHistoryOptionName, "DIR",
         "the history of the routers' settings (default: ~/.local/share/Zezidez/Dezadav/history)"},
        {kNoHistoryOptionName, "", "record nothing in the history"},
        {kToOptionName, "RECORD", std::string(kBeforeLastApply) + ", or a record's id (at least 7 digits)"},
        {kJsonOptionName, "", "print one JSON document instead of lines"},
    };
    return options;
}

const OptionHelp& HelpOf(std::string_view name) {
    const auto& all = OptionHelps();
    return *std::find_if(all.begin(), all.end(), [&](const OptionHelp& o) { return o.name == name; });
}

constexpr const char* kFlagOptionNames[] = {kDryRunOptionName, kForceOptionName, kShowSecretsOptionName,
                                            kNoHistoryOptionName, kJsonOptionName};

// "--router HOST", or "--force" for a flag.
std::string Spelled(const char* name) {
    const OptionHelp& option = HelpOf(name);
    return "--" + std::string(name) + (option.valueName.empty() ? "" : " " + std::string(option.valueName));
}

// How an option stands in a command's usage line: "--into DIR", "[--force]", "[--router HOST]...".
enum class Presence { Required, Optional, Repeatable };
struct SynopsisPart {
    const char* name;
    Presence presence;
};

// The usage line after "dezadav-cli WORD", ending in "[options]" when the command takes more.
std::string Synopsis(std::initializer_list<SynopsisPart> parts, bool moreOptions) {
    std::string line;
    for (const SynopsisPart& part : parts) {
        if (!line.empty()) line += ' ';
        line += part.presence == Presence::Required ? Spelled(part.name) : "[" + Spelled(part.name) + "]";
        if (part.presence == Presence::Repeatable) line += "...";
    }
    return moreOptions ? line + " [options]" : line;
}

// The help's prose with each "{fact}" replaced by the fact as the program has it: a default, or a
// text the program prints.
std::string WithFacts(std::string_view text) {
    const std::pair<std::string_view, std::string> facts[] = {
        {"{broadcast}", std::string(kDefaultDiscoverTarget)},
        {"{wait}", Number(kDefaultWaitMs)},
        {"{telnet-port}", Number(kTelnetPort)},
        {"{applied}", std::string(kMsgApplyOk.englishDefault)},
        {"{dry-run}", DryRunText("N")},
        {"{summary}", FleetSummaryText(23, 0, 1)},
        {"{index-ok}", std::string(kIndexOk)},
        {"{index-unsupported}", std::string(kIndexUnsupportedModel)},
        {"{login-failed}", std::string(kMsgLogin.englishDefault)},
        {"{password-variable}", kPasswordEnvironmentVariable},
        {"{password-file}", kPasswordFileOptionName},
        {"{backup-commit}", BackupCommitMessage(23, 0, 1)},
        {"{router-side}", std::string(kRouterSidePrefix)},
        {"{before-last-apply}", kBeforeLastApply},
        {"{causes}", "fetch, before apply, after apply, backup, undo"},
    };
    std::string filled(text);
    for (const auto& [name, value] : facts) {
        for (std::size_t at = filled.find(name); at != std::string::npos;
             at = filled.find(name, at + value.size()))
            filled.replace(at, name.size(), value);
    }
    return filled;
}

struct CommandRule {
    std::string_view word;
    CliCommand command;
    std::string synopsis;                   // what follows "dezadav-cli WORD" in the usage line
    std::string_view summary;               // one line for the list of commands
    std::string_view description;           // the command's help, its facts as WithFacts() fills them
    std::vector<std::string_view> allowed;  // long option names this command accepts, in help order
    std::set<std::string_view> repeatable;  // of those, the ones that may be given more than once
};

// Which options each command accepts. The router commands share the common options; `log` accepts
// them too so that scripts can pass one set of options to every command.
const std::vector<CommandRule>& Commands() {
    using enum Presence;
    static const std::vector<CommandRule> commands = {
        {"discover",
         CliCommand::Discover,
         Synopsis({{kBroadcastOptionName, Optional},
                   {kDiscoveryPortOptionName, Optional},
                   {kWaitOptionName, Optional},
                   {kJsonOptionName, Optional}},
                  false),
         "list the routers that answer one discovery request",
         "Sends one discovery request to ADDR (default {broadcast}) and prints one line per\n"
         "router that answers within MS milliseconds (default {wait}), in arrival order: model, IP\n"
         "address, subnet mask, MAC address and firmware version, separated by TAB.",
         {kBroadcastOptionName, kDiscoveryPortOptionName, kWaitOptionName, kJsonOptionName},
         {}},
        {"fetch",
         CliCommand::Fetch,
         Synopsis({{kRouterOptionName, Required}, {kOutputOptionName, Required}}, true),
         "write one router's settings to a settings file",
         "Logs in to the router, reads all its VoIP settings and writes them to FILE (- for\n"
         "standard output) in the settings-file layout that Save All writes (dial plan, SIP,\n"
         "codec, VoIP log).",
         {kRouterOptionName, kOutputOptionName, kModelOptionName, kTelnetPortOptionName,
          kDiscoveryPortOptionName, kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName,
          kTranscriptOptionName, kHistoryOptionName, kNoHistoryOptionName},
         {}},
        {"apply",
         CliCommand::Apply,
         Synopsis({{kRouterOptionName, Required}, {kRouterOptionName, Repeatable}}, false) + " " +
             Spelled(kInputOptionName) + "|" + Spelled(kFromBackupOptionName) + " " +
             Synopsis({{kDryRunOptionName, Optional}, {kForceOptionName, Optional}}, true),
         "load a settings file over routers' settings and apply the result",
         "Logs in, reads all settings, loads FILE over them and applies the result to the router.\n"
         "Prints every router command it sends, one per line, in order, then\n"
         "\"{applied}\". With --dry-run it logs in and reads the\n"
         "settings, prints the commands the apply would send, sends none of them and ends with\n"
         "the line \"{dry-run}\".\n"
         "With several --router the same FILE goes to each router, up to N at a time; every\n"
         "line printed starts with the router's IP address and a TAB, each router ends with\n"
         "one line (the success text, the dry run's line or the failure message), and the run\n"
         "ends with one summary line on stderr (\"{summary}\").\n"
         "A FILE saved from the other router form is refused unless --force is given, and\n"
         "SIP passwords are printed as ******** unless --show-secrets is given.\n"
         "With --from-backup each router gets its own file from DIR instead of FILE; a router\n"
         "whose file is missing fails with a message naming it, and the others go on. Such a\n"
         "run prints and ends as a run with several --router does.",
         {kRouterOptionName, kInputOptionName, kFromBackupOptionName, kDryRunOptionName, kForceOptionName,
          kShowSecretsOptionName, kModelOptionName, kJobsOptionName, kPasswordsOptionName,
          kTelnetPortOptionName, kDiscoveryPortOptionName, kWaitOptionName, kPasswordFileOptionName,
          kTimeScaleOptionName, kTranscriptOptionName, kHistoryOptionName, kNoHistoryOptionName},
         {kRouterOptionName}},
        {"log",
         CliCommand::Log,
         Synopsis({{kRouterOptionName, Required}}, true),
         "print one router's VoIP call log",
         "Logs in and reads the VoIP call log only; prints one line per call record with its six\n"
         "columns (index, date, time, duration, direction, address) separated by TAB.",
         {kRouterOptionName, kModelOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName,
          kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName},
         {}},
        {"backup",
         CliCommand::Backup,
         Synopsis({{kIntoOptionName, Required}, {kRouterOptionName, Repeatable}}, true),
         "back up many routers into a folder",
         "Backs up every router into DIR, up to N at a time: the routers given with --router, or\n"
         "else every router that answers one discovery request (as discover) with a supported\n"
         "model. Each router's settings go to DIR/<MAC>.csv (DIR/<IP>.csv when no discovery\n"
         "answer gave its MAC address), the bytes fetch writes; a file is replaced only by a\n"
         "complete new one. DIR/index.tsv, written last, has one line per router: MAC, IP,\n"
         "model, firmware version, file name, and \"{index-ok}\", \"{index-unsupported}\" or the failure\n"
         "message, separated by TAB. On a terminal, stderr shows the progress; the run ends\n"
         "with one summary line on stderr (\"{summary}\").\n"
         "When DIR is the top folder of a git work tree, the files written and index.tsv are then\n"
         "committed there with the message \"{backup-commit}\"; a failed commit\n"
         "is reported (exit status 1) and the files stay.",
         {kIntoOptionName, kRouterOptionName, kModelOptionName, kBroadcastOptionName, kJobsOptionName,
          kPasswordsOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName, kWaitOptionName,
          kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName, kJsonOptionName,
          kHistoryOptionName, kNoHistoryOptionName},
         {kRouterOptionName}},
        {"diff",
         CliCommand::Diff,
         "A B " + Synopsis({{kShowSecretsOptionName, Optional}, {kJsonOptionName, Optional}}, true),
         "print the fields in which two sets of settings differ",
         "Compares the settings A and B field by field (dial plan, SIP, codec, RTP and DTMF; not\n"
         "the call log) and prints one line per field that differs: area, field, A's value and\n"
         "B's value, separated by TAB, in the words and order of the window's pages. A and B are\n"
         "each a settings file or {router-side}HOST, whose settings are read live as fetch reads\n"
         "them. Each side is read in its own router form (a router's by its model, a file's by\n"
         "what it holds); the fields compared are those of B's form, or of A's when B shows\n"
         "none, or of the one-port form when neither does. Dial-plan entry names are compared\n"
         "only between two files (a router keeps none); SIP passwords show as ******** unless\n"
         "--show-secrets is given.",
         {kShowSecretsOptionName, kJsonOptionName, kModelOptionName, kPasswordsOptionName,
          kTelnetPortOptionName, kDiscoveryPortOptionName, kWaitOptionName, kPasswordFileOptionName,
          kTimeScaleOptionName, kTranscriptOptionName},
         {}},
        {"history",
         CliCommand::History,
         Synopsis({{kRouterOptionName, Required}, {kJsonOptionName, Optional}}, true),
         "list the recorded versions of one router's settings",
         "Lists the records the history holds of the router, newest first, one line each: time\n"
         "(UTC, ISO 8601), cause ({causes}), model, the record's id\n"
         "and how many fields differ from the record before it, separated by TAB. Records are\n"
         "kept per MAC address: HOST may be the MAC address (XX-XX-XX-XX-XX-XX); for an IP\n"
         "address the router's own discovery answer gives its MAC (the IP address is used when\n"
         "none comes). fetch, apply, backup and restore record as the window does: after a fetch\n"
         "whose settings differ from the router's last record, right before every apply and\n"
         "after every completed apply. With --json one JSON document is printed instead: an\n"
         "array of {\"id\", \"time\", \"cause\", \"model\", \"changes\"}, \"changes\" null for the\n"
         "first record.",
         {kRouterOptionName, kJsonOptionName, kHistoryOptionName, kDiscoveryPortOptionName, kWaitOptionName},
         {}},
        {"restore",
         CliCommand::Restore,
         Synopsis({{kRouterOptionName, Required}, {kToOptionName, Required}, {kDryRunOptionName, Optional}}, true),
         "apply a recorded version of one router's settings",
         "Logs in, reads all settings and applies the record RECORD of the router's history as\n"
         "apply applies a file: {before-last-apply} is the record taken right before the router's\n"
         "last completed apply (so a second restore undoes the first), else RECORD is a record's\n"
         "id as history prints it. The restore is recorded like every apply. With --dry-run the\n"
         "commands are printed and none is sent.",
         {kRouterOptionName, kToOptionName, kDryRunOptionName, kForceOptionName, kShowSecretsOptionName,
          kModelOptionName, kHistoryOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName,
          kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName},
         {}},
    };
    return commands;
}

const CommandRule* FindCommand(std::string_view word) {
    for (const CommandRule& rule : Commands()) {
        if (rule.word == word) return &rule;
    }
    return nullptr;
}

const CommandRule* FindCommand(CliCommand command) {
    for (const CommandRule& rule : Commands()) {
        if (rule.command == command) return &rule;
    }
    return nullptr;
}

// "  --name VALUE          text", the text's further lines under its first.
std::string HelpLines(std::string head, std::string_view text) {
    constexpr std::size_t kTextColumn = 25;
    head.resize(std::max(kTextColumn, head.size() + 1), ' ');
    std::string lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines += (start == 0 ? head : std::string(kTextColumn, ' ')) +
                 std::string(text.substr(start, end - start)) + '\n';
        start = end + 1;
    }
    return lines;
}

std::string OptionLines(const OptionHelp& option) {
    std::string head = "  --" + std::string(option.name);
    if (!option.valueName.empty()) head += " " + std::string(option.valueName);
    return HelpLines(head, option.text);
}

// Words joined by single spaces into lines of at most 90 characters, each led by two spaces.
std::string Indented(std::string_view text) {
    constexpr std::size_t kWidth = 90;
    std::string lines;
    std::string line = " ";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, end - start);
        if (line.size() > 1 && line.size() + 1 + word.size() > kWidth) {
            lines += line + '\n';
            line = " ";
        }
        line += " " + std::string(word);
        start = end + 1;
    }
    return lines + line + '\n';
}

constexpr std::string_view kPasswordHelp =
    "Password:\n"
    "  Taken from the environment variable {password-variable} when it is set, else from\n"
    "  --{password-file}, else asked for on the terminal without echo. It is never taken from the\n"
    "  command line and never printed.\n";

// Which options may be set outside the command line, and where, as option_defaults reads them.
std::string DefaultsHelp() {
    const auto& options = DefaultableOptions();
    std::string names;
    std::string variables;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const char* separator = i == 0 ? "" : i + 1 == options.size() ? " and " : ", ";
        names += separator + std::string("--") + options[i].name;
        variables += std::string(i == 0 ? "" : ", ") + options[i].environment;
    }
    return "Defaults:\n" +
           Indented(
               names + " may also be set in the environment (" + variables +
               ") or as \"name=value\" lines (" + kTelnetPortOptionName +
               "=2323) in $XDG_CONFIG_HOME/dezadav/cli.conf (~/.config/dezadav/cli.conf). The command line "
               "wins over the environment, which wins over the file; a command ignores the defaults of "
               "options it does not take.");
}

constexpr std::string_view kExitHelp =
    "Exit status:\n"
    "  0  success\n"
    "  1  a router or file operation failed (with several routers: any of them); its message is\n"
    "     printed on stderr (for example \"{login-failed} (192.168.1.1:{telnet-port})\")\n"
    "  2  the command line is unusable; the reason is printed on stderr\n"
    "  diff exits 0 when A and B are equal, 1 when they differ, 2 when the command line is\n"
    "  unusable or A or B cannot be read\n";

constexpr std::string_view kDiffExitHelp =
    "Exit status:\n"
    "  0  A and B hold the same settings\n"
    "  1  they differ\n"
    "  2  the command line is unusable, or A or B cannot be read (unlike the other commands,\n"
    "     where a failed read is 1); the reason is printed on stderr\n";

// The options only dezadav-cli has, besides the shared ones; the flags take no value.
void AddCliOptions(QCommandLineParser& parser) {
    AddCommonOptions(parser);
    for (const char* name : {kRouterOptionName, kModelOptionName, kWaitOptionName, kOutputOptionName,
                             kInputOptionName, kPasswordFileOptionName, kPasswordsOptionName, kIntoOptionName,
                             kJobsOptionName, kFromBackupOptionName, kToOptionName}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    }
    for (const char* flag : kFlagOptionNames) {
        // The shared flags are registered with the shared options.
        if (std::string_view(flag) != kNoHistoryOptionName)
            parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
    }
}

// A whole decimal number and nothing else; numbers too large for any limit here read as too large.
std::optional<long> ParseDecimal(const std::string& text) {
    const DigitRun run = ReadDigitRun(text);
    if (run.length == 0 || run.length != text.size()) return std::nullopt;
    return static_cast<long>(run.value);
}

// A router is named by a dotted IPv4 address or by a host name: labels of letters, digits and
// hyphens, none starting or ending with a hyphen. Digits and dots alone must form an address, so a
// mistyped address is not taken for a name.
bool IsRouterName(const std::string& text) {
    if (text.find_first_not_of("0123456789.") == std::string::npos) return IsDottedIpv4Address(text);
    if (text.size() > 253) return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('.', start), text.size());
        const std::string_view label = std::string_view(text).substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            const bool allowed =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!allowed) return false;
        }
        if (end == text.size()) return true;
        start = end + 1;
    }
}

// What --to takes: the word for the record before the last apply, or 7 to 40 hexadecimal digits.
bool IsRecordName(const std::string& text) {
    if (text == kBeforeLastApply) return true;
    return text.size() >= 7 && text.size() <= 40 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

CliParseResult Fail(std::string message, std::string_view commandWord = {}) {
    return CliParseResult{std::nullopt, std::move(message), std::string(commandWord)};
}

// Why the parser refused the arguments, said the way the other refusals are said: an unknown option,
// a flag given a value, or a value-taking option at the end without its value.
std::string ParserRefusal(const QCommandLineParser& parser, const std::vector<std::string>& args) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const std::string name = parser.unknownOptionNames().front().toStdString();
        return UnknownOptionText(std::string(name.size() == 1 ? "-" : "--") + name);
    }
    for (const std::string& arg : args) {
        for (const char* flag : kFlagOptionNames) {
            if (arg.starts_with("--" + std::string(flag) + "=")) return OptionTakesNoValueText(flag);
        }
    }
    if (args.back().starts_with("--")) return OptionNeedsValueText(args.back());
    return parser.errorText().toStdString();
}

bool IsSet(const QCommandLineParser& parser, const char* name) {
    return parser.isSet(QString::fromLatin1(name));
}

std::string Value(const QCommandLineParser& parser, const char* name) {
    return parser.value(QString::fromLatin1(name)).toStdString();
}

// Checks the values of the options given and fills `options` from them; options not given keep
// what `options` holds.
std::optional<std::string> ReadValues(const QCommandLineParser& parser, CliOptions& options) {
    for (const QString& router : parser.values(QString::fromLatin1(kRouterOptionName))) {
        std::string name = router.toStdString();
        if (options.command == CliCommand::History && IsMacAddressText(name)) {
            // The history keeps routers by their MAC as discovery shows it.
            std::replace(name.begin(), name.end(), ':', '-');
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        } else if (!IsRouterName(name)) return OptionValueRefusedText(kRouterOptionName, kWantedRouterName, name);
        if (std::find(options.routers.begin(), options.routers.end(), name) != options.routers.end()) {
            return RouterGivenTwiceText(name);
        }
        options.routers.push_back(name);
    }
    if (auto error = ReadCommonOptions(parser, options.common)) return error;
    if (IsSet(parser, kModelOptionName)) options.model = Value(parser, kModelOptionName);
    if (IsSet(parser, kWaitOptionName)) {
        const std::string text = Value(parser, kWaitOptionName);
        auto ms = ParseDecimal(text);
        if (!ms || *ms > kMaxWaitMs)
            return OptionValueRefusedText(kWaitOptionName, WantedMillisecondsText(0, kMaxWaitMs), text);
        options.waitMs = static_cast<int>(*ms);
    }
    if (IsSet(parser, kJobsOptionName)) {
        const std::string text = Value(parser, kJobsOptionName);
        auto jobs = ParseDecimal(text);
        if (!jobs || *jobs < kMinJobs || *jobs > kMaxJobs)
            return OptionValueRefusedText(kJobsOptionName, WantedNumberText(kMinJobs, kMaxJobs), text);
        options.jobs = static_cast<int>(*jobs);
    }
    const std::pair<const char*, std::string*> files[] = {{kOutputOptionName, &options.outputFile},
                                                          {kInputOptionName, &options.inputFile},
                                                          {kIntoOptionName, &options.backupDir},
                                                          {kFromBackupOptionName, &options.fromBackupDir}};
    for (const auto& [name, target] : files) {
        if (!IsSet(parser, name)) continue;
        *target = Value(parser, name);
        if (target->empty()) return OptionNeedsFileNameText(name);
    }
    const std::pair<const char*, std::optional<std::string>*> optionalFiles[] = {
        {kPasswordFileOptionName, &options.passwordFile}, {kPasswordsOptionName, &options.passwordsFile}};
    for (const auto& [name, target] : optionalFiles) {
        if (!IsSet(parser, name)) continue;
        *target = Value(parser, name);
        if ((*target)->empty()) return OptionNeedsFileNameText(name);
    }
    if (IsSet(parser, kToOptionName)) {
        options.restoreTo = Value(parser, kToOptionName);
        if (!IsRecordName(options.restoreTo))
            return OptionValueRefusedText(kToOptionName, kWantedRecord, options.restoreTo);
    }
    if (IsSet(parser, kJsonOptionName)) options.json = true;
    if (IsSet(parser, kDryRunOptionName)) options.dryRun = true;
    if (IsSet(parser, kForceOptionName)) options.force = true;
    if (IsSet(parser, kShowSecretsOptionName)) options.showSecrets = true;
    if (IsSet(parser, kJsonOptionName)) options.json = true;
    return std::nullopt;
}

// The defaults the command takes and the command line left out, weakest first, into `options`.
std::optional<std::string> ReadDefaults(const std::vector<OptionDefault>& defaults, const CommandRule& rule,
                                        const QCommandLineParser& commandLine, CliOptions& options) {
    for (const OptionDefault& given : defaults) {
        const bool taken =
            std::find(rule.allowed.begin(), rule.allowed.end(), given.name) != rule.allowed.end();
        if (!taken || commandLine.isSet(QString::fromStdString(given.name))) continue;
        QCommandLineParser parser;
        AddCliOptions(parser);
        const QStringList arguments{QStringLiteral("dezadav-cli"),
                                    QString::fromStdString("--" + given.name + "=" + given.value)};
        if (!parser.parse(arguments))
            return DefaultRefusedText(given.source, parser.errorText().toStdString());
        if (auto error = ReadValues(parser, options)) return DefaultRefusedText(given.source, *error);
    }
    return std::nullopt;
}

}  // namespace

CliParseResult ParseCliArguments(const std::vector<std::string>& args,
                                 const std::vector<OptionDefault>& defaults) {
    const CommandRule* rule = args.empty() ? nullptr : FindCommand(args[0]);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            CliOptions help;
            if (rule != nullptr) help.helpTopic = rule->command;
            return CliParseResult{help, {}, {}};
        }
    }
    for (const std::string& arg : args) {
        if (arg == "--version") {
            CliOptions version;
            version.command = CliCommand::Version;
            return CliParseResult{version, {}, {}};
        }
    }
    if (args.empty()) return Fail(std::string(kCliNoCommand));
    if (rule == nullptr) return Fail(UnknownCommandText(args[0]));
    const std::string_view word = rule->word;

    QCommandLineParser parser;
    AddCliOptions(parser);
    QStringList arguments{QStringLiteral("dezadav-cli")};
    for (std::size_t i = 1; i < args.size(); ++i) arguments << QString::fromStdString(args[i]);
    if (!parser.parse(arguments)) return Fail(ParserRefusal(parser, args), word);
    const QStringList positional = parser.positionalArguments();
    const qsizetype argumentsTaken = rule->command == CliCommand::Diff ? 2 : 0;
    if (positional.size() > argumentsTaken)
        return Fail(UnexpectedArgumentText(positional[argumentsTaken].toStdString()), word);
    if (positional.size() < argumentsTaken) return Fail(DiffNeedsTwoSidesText(), word);

    std::map<std::string, int> timesGiven;
    for (const QString& given : parser.optionNames()) {
        const std::string name = given.toStdString();
        if (std::find(rule->allowed.begin(), rule->allowed.end(), name) == rule->allowed.end())
            return Fail(OptionNotForCommandText(name, word), word);
        if (++timesGiven[name] > 1 && !rule->repeatable.contains(name))
            return Fail(OptionGivenTwiceText(name), word);
    }

    CliOptions options;
    options.command = rule->command;
    if (auto error = ReadDefaults(defaults, *rule, parser, options)) return Fail(*error, word);
    if (auto error = ReadValues(parser, options)) return Fail(*error, word);
    for (const QString& argument : positional) {
        const std::string side = argument.toStdString();
        if (side.empty()) return Fail(DiffSideEmptyText(), word);
        if (side.starts_with(kRouterSidePrefix) && !IsRouterName(side.substr(kRouterSidePrefix.size())))
            return Fail(DiffRouterRefusedText(side, kWantedRouterName), word);
        options.diffSides.push_back(side);
    }

    const auto missing = [word](const char* option) {
        return Fail(CommandNeedsOptionText(word, option, HelpOf(option).valueName), word);
    };
    if (options.command == CliCommand::Backup) {
        if (options.backupDir.empty()) return missing(kIntoOptionName);
    } else if (options.command != CliCommand::Discover && options.command != CliCommand::Diff &&
               options.routers.empty()) {
        return missing(kRouterOptionName);
    }
    if (options.command == CliCommand::Fetch && options.outputFile.empty()) return missing(kOutputOptionName);
    if (options.command == CliCommand::Apply) {
        if (options.inputFile.empty() && options.fromBackupDir.empty()) return missing(kInputOptionName);
        if (!options.inputFile.empty() && !options.fromBackupDir.empty())
            return Fail(OptionsExcludeEachOtherText(kInputOptionName, kFromBackupOptionName), word);
    }
    if (options.command == CliCommand::Restore && options.restoreTo.empty()) return missing(kToOptionName);
    return CliParseResult{std::move(options), {}, {}};
}

std::string CliUsageText() {
    std::string text = "Usage:\n";
    for (const CommandRule& rule : Commands()) {
        text += "  dezadav-cli " + std::string(rule.word) + " " + std::string(rule.synopsis) + "\n";
    }
    text += "  dezadav-cli [COMMAND] -h|--help\n  dezadav-cli --version\n\nCommands:\n";
    for (const CommandRule& rule : Commands()) {
        std::string word(rule.word);
        word.resize(11, ' ');
        text += "  " + word + std::string(rule.summary) + "\n";
    }
    text += "\nOptions (each command takes those its own help lists):\n";
    for (const OptionHelp& option : OptionHelps()) text += OptionLines(option);
    text += HelpLines("  -h, --help", "print the help (of COMMAND when one is given) and end");
    text += HelpLines("  --version", "print the program's version and end") + "\n";
    text += WithFacts(kPasswordHelp) + "\n" + DefaultsHelp() + "\n" + WithFacts(kExitHelp);
    return text;
}

std::string CliCommandHelpText(CliCommand command) {
    const CommandRule* rule = FindCommand(command);
    if (rule == nullptr) return CliUsageText();
    std::string text = "Usage: dezadav-cli " + std::string(rule->word) + " " + std::string(rule->synopsis) +
                       "\n\n" + WithFacts(rule->description) + "\n\nOptions:\n";
    for (std::string_view name : rule->allowed) text += OptionLines(HelpOf(name));
    text += HelpLines("  -h, --help", "print this help and end") + "\n";
    if (command != CliCommand::Discover) text += WithFacts(kPasswordHelp) + "\n";
    text += DefaultsHelp() + "\n" + WithFacts(command == CliCommand::Diff ? kDiffExitHelp : kExitHelp);
    return text;
}

std::string CliVersionText() {
    return std::string("dezadav-cli ") + ProgramVersion() + "\n";
}

std::string UsageErrorText(const std::string& reason, const std::string& commandWord) {
    const std::string helpCommand =
        commandWord.empty() ? "dezadav-cli --help" : "dezadav-cli " + commandWord + " --help";
    return CliErrorLine(reason) + TryHelpLine(helpCommand);
}

std::string CommandWord(CliCommand command) {
    const CommandRule* rule = FindCommand(command);
    return rule == nullptr ? std::string() : std::string(rule->word);
}

}  // namespace dezadav::cli
