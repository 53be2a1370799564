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

// Every option dezadav-cli takes, in the order the global help lists them: its own, then those it
// shares with the window (described once, in frontend/common_options).
const std::vector<OptionDescription>& OptionHelps() {
    static const std::vector<OptionDescription> options = [] {
        std::vector<OptionDescription> all = {
            {kRouterOptionName, "HOST", "the router: an IPv4 address or a host name"},
            {kModelOptionName, "NAME", "the router's model name, instead of asking the router for it"},
            {kOutputOptionName, "FILE", "the settings file to write; - writes it to standard output"},
            {kInputOptionName, "FILE", "the settings file to load over the router's settings; - reads standard input"},
            {kFromBackupOptionName, "DIR", "instead of --input: each router's own file of a backup into DIR"},
            {kDryRunOptionName, "", "print the commands the apply would send and send none"},
            {kForceOptionName, "", "apply a file of the other router form (one-port, two-port) all the same"},
            {kShowSecretsOptionName, "", "print SIP passwords instead of ********"},
            {kFormatOptionName, "FORMAT", "csv (the settings file, the default) or json (one JSON document)"},
            {kReplaceOptionName, "", "a JSON document replaces all settings instead of changing what it names"},
            {kToOptionName, "RECORD", std::string(kBeforeLastApply) + ", or a record's id (at least 7 digits)"},
            {kIntoOptionName, "DIR", "the folder of the backup files and their index.tsv"},
            {kJsonOptionName, "", "print one JSON object on standard output instead of lines"},
            {kWaitOptionName, "MS",
             "how long discovery answers are awaited, 0 to " + Number(kMaxWaitMs) + " (default " +
                 Number(kDefaultWaitMs) + ")"},
            {kPasswordFileOptionName, "FILE", "read the common password from the first line of FILE"},
            {kPasswordsOptionName, "FILE", "per-router passwords: \"ADDRESS PASSWORD\" lines, by IP or MAC"},
            {kJobsOptionName, "N",
             "routers served at the same time, " + Number(kMinJobs) + " to " + Number(kMaxJobs) + " (default " +
                 Number(kDefaultJobs) + ")"},
        };
        for (OptionDescription& shared : CommonOptionDescriptions()) all.push_back(std::move(shared));
        return all;
    }();
    return options;
}

const OptionDescription& HelpOf(std::string_view name) {
    const auto& all = OptionHelps();
    return *std::find_if(all.begin(), all.end(), [&](const OptionDescription& o) { return o.name == name; });
}

constexpr const char* kFlagOptionNames[] = {kDryRunOptionName, kForceOptionName, kShowSecretsOptionName, kReplaceOptionName,
                                            kNoHistoryOptionName, kJsonOptionName};

// "--router HOST", or "--force" for a flag.
std::string Spelled(const char* name) {
    const OptionDescription& option = HelpOf(name);
    return "--" + std::string(name) + (*option.valueName == '\0' ? "" : " " + std::string(option.valueName));
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

// The help's prose with each "{fact}" replaced by the fact as the program has it.
std::string WithFacts(std::string_view text) {
    const std::pair<std::string_view, std::string> facts[] = {
        {"{broadcast}", std::string(kDefaultDiscoverTarget)},
        {"{password-variable}", kPasswordEnvironmentVariable},
        {"{router-side}", std::string(kRouterSidePrefix)},
        {"{record-side}", std::string(kRecordSidePrefix)},
        {"{before-last-apply}", kBeforeLastApply},
        {"{interrupted}", ApplyInterruptedText(6, 59)},
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
    std::string synopsis;                  // what follows "dezadav-cli WORD" in the usage line
    std::string_view summary;              // one line for the list of commands
    std::string_view description;          // two or three lines, its facts as WithFacts() fills them
    std::vector<std::string_view> own;     // options the command's help describes, in help order
    std::vector<std::string_view> shared;  // options it takes that only the global help describes
    std::set<std::string_view> repeatable;
    std::string_view exits;                // its exit statuses, one line or two
};

// The options most router commands take besides their own.
const std::vector<std::string_view> kRouterShared = {kModelOptionName,       kTelnetPortOptionName,
                                                     kDiscoveryPortOptionName, kWaitOptionName,
                                                     kPasswordFileOptionName, kTimeScaleOptionName,
                                                     kTranscriptOptionName,  kHistoryOptionName,
                                                     kNoHistoryOptionName};

constexpr std::string_view kApplyExits =
    "0 applied (or nothing to change); 1 a router or file operation failed; 2 unusable command line; "
    "130 or 143 stopped by Ctrl-C or SIGTERM after the command being sent (\"{interrupted}\")";

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
         "Sends one discovery request to ADDR (default {broadcast}); prints one TAB-separated line per\n"
         "router that answers: model, IP address, subnet mask, MAC address, firmware version.",
         {kBroadcastOptionName, kDiscoveryPortOptionName, kWaitOptionName, kJsonOptionName},
         {},
         {},
         "0 routers answered; 1 none answered (a line on stderr says so) or the request could not "
         "be sent; 2 unusable command line"},
        {"fetch",
         CliCommand::Fetch,
         Synopsis({{kRouterOptionName, Required}, {kOutputOptionName, Required}}, true),
         "write one router's settings to a settings file",
         "Logs in, reads all the router's VoIP settings and writes them to FILE in the layout Save\n"
         "All writes (dial plan, SIP, codec, VoIP log).",
         {kRouterOptionName, kOutputOptionName, kFormatOptionName, kShowSecretsOptionName},
         kRouterShared,
         {},
         "0 written; 1 a router or file operation failed; 2 unusable command line"},
        {"apply",
         CliCommand::Apply,
         Synopsis({{kRouterOptionName, Required}, {kRouterOptionName, Repeatable}}, false) + " " +
             Spelled(kInputOptionName) + "|" + Spelled(kFromBackupOptionName) + " " +
             Synopsis({{kDryRunOptionName, Optional}, {kForceOptionName, Optional}}, true),
         "load a settings file over routers' settings and apply the result",
         "Logs in, reads all settings, loads FILE over them and applies the result, printing each command\n"
         "as it is sent (led by the router's address and a TAB when there are several routers).",
         {kRouterOptionName, kInputOptionName, kFromBackupOptionName, kDryRunOptionName, kForceOptionName,
          kReplaceOptionName, kShowSecretsOptionName, kJobsOptionName, kPasswordsOptionName},
         kRouterShared,
         {kRouterOptionName},
         kApplyExits},
        {"log",
         CliCommand::Log,
         Synopsis({{kRouterOptionName, Required}, {kJsonOptionName, Optional}}, true),
         "print one router's VoIP call log",
         "Logs in and reads the VoIP call log only; prints one line per call record: index, date,\n"
         "time, duration, direction and address, separated by TAB.",
         {kRouterOptionName, kJsonOptionName},
         {kTelnetPortOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName},
         {},
         "0 printed; 1 a router operation failed; 2 unusable command line"},
        {"backup",
         CliCommand::Backup,
         Synopsis({{kIntoOptionName, Required}, {kRouterOptionName, Repeatable}}, true),
         "back up many routers into a folder",
         "Backs up the routers given, or every router that answers discovery, into DIR/<MAC>.csv,\n"
         "then writes DIR/index.tsv; a git work tree DIR gets one commit of them.",
         {kIntoOptionName, kRouterOptionName, kFormatOptionName, kJobsOptionName, kPasswordsOptionName,
          kJsonOptionName},
         {kModelOptionName, kBroadcastOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName,
          kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName,
          kHistoryOptionName, kNoHistoryOptionName},
         {kRouterOptionName},
         "0 every router backed up or skipped as unsupported; 1 a router, the index or the commit "
         "failed; 2 unusable command line"},
        {"diff",
         CliCommand::Diff,
         "A B " + Synopsis({{kRouterOptionName, Optional}, {kShowSecretsOptionName, Optional},
                            {kJsonOptionName, Optional}},
                           true),
         "print the fields in which two sets of settings differ",
         "Prints one TAB-separated line per field in which A and B differ: area, field, A's and B's\n"
         "value. A and B: a settings file, {router-side}HOST, or {record-side}ID|{before-last-apply} of --router.",
         {kRouterOptionName, kShowSecretsOptionName, kJsonOptionName, kPasswordsOptionName},
         {kModelOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName, kWaitOptionName,
          kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName, kHistoryOptionName},
         {},
         "0 equal; 1 they differ; 2 unusable command line, or A or B cannot be read"},
        {"show",
         CliCommand::Show,
         "SETTINGS " + Synopsis({{kShowSecretsOptionName, Optional}, {kJsonOptionName, Optional}}, true),
         "print one set of settings as named fields",
         "Prints SETTINGS (a settings file, a JSON document, {router-side}HOST or {record-side}ID of --router)\n"
         "one field per line: where, TAB, value (\"SIP \xC2\xB7 Port 1 \xC2\xB7 Expiry Time\t1 hour\"); --json: the document.",
         {kShowSecretsOptionName, kJsonOptionName, kRouterOptionName},
         {kModelOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName, kWaitOptionName,
          kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName, kHistoryOptionName},
         {},
         "0 printed; 2 unusable command line, or SETTINGS cannot be read"},
        {"history",
         CliCommand::History,
         Synopsis({{kRouterOptionName, Required}, {kJsonOptionName, Optional}}, true),
         "list the recorded versions of one router's settings",
         "Lists the router's records, newest first: time (UTC), cause, model, id, fields changed,\n"
         "separated by TAB. HOST may also be its MAC address (XX-XX-XX-XX-XX-XX).",
         {kRouterOptionName, kJsonOptionName},
         {kHistoryOptionName, kDiscoveryPortOptionName, kWaitOptionName},
         {},
         "0 listed (also when none is kept); 1 the history or the router cannot be read; "
         "2 unusable command line"},
        {"restore",
         CliCommand::Restore,
         Synopsis({{kRouterOptionName, Required}, {kToOptionName, Required}, {kDryRunOptionName, Optional}}, true),
         "apply a recorded version of one router's settings",
         "Applies a record of the router's history as apply applies a file: RECORD is\n"
         "{before-last-apply} (the record taken right before the last completed apply) or an id.",
         {kRouterOptionName, kToOptionName, kDryRunOptionName, kForceOptionName, kShowSecretsOptionName},
         {kModelOptionName, kHistoryOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName,
          kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName},
         {},
         kApplyExits},
    };
    return commands;
}

bool Takes(const CommandRule& rule, std::string_view name) {
    return std::find(rule.own.begin(), rule.own.end(), name) != rule.own.end() ||
           std::find(rule.shared.begin(), rule.shared.end(), name) != rule.shared.end();
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
    constexpr std::size_t kTextColumn = 24;
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

std::string OptionLines(const OptionDescription& option) {
    std::string head = "  --" + std::string(option.name);
    if (*option.valueName != '\0') head += " " + std::string(option.valueName);
    return HelpLines(head, option.text);
}

// Words joined by single spaces into lines of at most 90 characters, each led by `indent`.
std::string Wrapped(std::string_view text, const std::string& indent = "  ") {
    constexpr std::size_t kWidth = 90;
    std::string lines;
    std::string line = indent;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, end - start);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
            lines += line + '\n';
            line = indent;
        }
        line += (line.size() > indent.size() ? " " : "") + std::string(word);
        start = end + 1;
    }
    return lines + line + '\n';
}

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
    return "Defaults and environment:\n" +
           Wrapped(names + " may also be set in the environment (" + variables + ") or as \"name=value\" lines (" +
                   kTelnetPortOptionName + "=2323) in " + CliConfigFilePath() +
                   ". The command line wins over the environment, which wins over the file; a command "
                   "ignores the defaults of options it does not take.");
}

std::string PasswordHelp() {
    return "Password:\n" +
           Wrapped(std::string("Taken from the environment variable ") + kPasswordEnvironmentVariable +
                   " when it is set, else from --" + kPasswordFileOptionName +
                   ", else asked for on the terminal without echo; never taken from the command line, never "
                   "printed. With --" + kPasswordsOptionName +
                   " FILE each router whose IP address or MAC address (learnt by discovery) has a line there "
                   "uses its own; '#' starts a comment line, and only FILE's owner may read it.");
}

std::string FilesHelp() {
    return "Files:\n  " + CliConfigFilePath() + "\n      the defaults above\n  " + DefaultHistoryFolder() +
           "\n      the history of every router's settings (the window keeps its records there too)\n";
}

constexpr std::string_view kExitHelp =
    "Exit status (each command's help gives its own):\n"
    "  0  success\n"
    "  1  a router or file operation failed, with several routers any of them, or standard output\n"
    "     could not be written; the message is printed on stderr (diff: A and B differ)\n"
    "  2  the command line is unusable (diff: also A or B cannot be read)\n"
    "  130, 143  an apply stopped by Ctrl-C or SIGTERM after the command being sent\n";

// The options only dezadav-cli has, besides the shared ones; the flags take no value.
void AddCliOptions(QCommandLineParser& parser) {
    AddCommonOptions(parser);
    for (const char* name : {kRouterOptionName, kModelOptionName, kWaitOptionName, kOutputOptionName,
                             kInputOptionName, kPasswordFileOptionName, kPasswordsOptionName, kIntoOptionName,
                             kJobsOptionName, kFromBackupOptionName, kToOptionName, kFormatOptionName}) {
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
        const bool byMac = options.command == CliCommand::History || options.command == CliCommand::Diff;
        if (byMac && IsMacAddressText(name)) {
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
    if (IsSet(parser, kReplaceOptionName)) options.replace = true;
    if (IsSet(parser, kFormatOptionName)) {
        const std::string format = Value(parser, kFormatOptionName);
        if (format != "csv" && format != "json") return OptionValueRefusedText(kFormatOptionName, "csv or json", format);
        options.jsonSettings = format == "json";
    }
    if (IsSet(parser, kJsonOptionName)) options.json = true;
    return std::nullopt;
}

// The defaults the command takes and the command line left out, weakest first, into `options`.
std::optional<std::string> ReadDefaults(const std::vector<OptionDefault>& defaults, const CommandRule& rule,
                                        const QCommandLineParser& commandLine, CliOptions& options) {
    for (const OptionDefault& given : defaults) {
        if (!Takes(rule, given.name) || commandLine.isSet(QString::fromStdString(given.name))) continue;
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
    const qsizetype argumentsTaken =
        rule->command == CliCommand::Diff ? 2 : rule->command == CliCommand::Show ? 1 : 0;
    if (positional.size() > argumentsTaken)
        return Fail(UnexpectedArgumentText(positional[argumentsTaken].toStdString()), word);
    if (positional.size() < argumentsTaken) {
        return Fail(rule->command == CliCommand::Show ? ShowNeedsSettingsText() : DiffNeedsTwoSidesText(), word);
    }

    std::map<std::string, int> timesGiven;
    for (const QString& given : parser.optionNames()) {
        const std::string name = given.toStdString();
        if (!Takes(*rule, name))
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
        if (side.starts_with(kRecordSidePrefix) && !IsRecordName(side.substr(kRecordSidePrefix.size())))
            return Fail(DiffRouterRefusedText(side, kWantedRecord, kRecordSidePrefix), word);
        options.diffSides.push_back(side);
    }

    const auto missing = [word](const char* option) {
        return Fail(CommandNeedsOptionText(word, option, HelpOf(option).valueName), word);
    };
    if (options.command == CliCommand::Backup) {
        if (options.backupDir.empty()) return missing(kIntoOptionName);
    } else if (options.command != CliCommand::Discover && options.command != CliCommand::Diff &&
               options.command != CliCommand::Show && options.routers.empty()) {
        return missing(kRouterOptionName);
    }
    if (options.command == CliCommand::Fetch && options.outputFile.empty()) return missing(kOutputOptionName);
    if (options.command == CliCommand::Apply) {
        if (options.inputFile.empty() && options.fromBackupDir.empty()) return missing(kInputOptionName);
        if (!options.inputFile.empty() && !options.fromBackupDir.empty())
            return Fail(OptionsExcludeEachOtherText(kInputOptionName, kFromBackupOptionName), word);
    }
    if (options.command == CliCommand::Restore && options.restoreTo.empty()) return missing(kToOptionName);
    const bool recordSide = std::any_of(options.diffSides.begin(), options.diffSides.end(),
                                        [](const std::string& side) { return side.starts_with(kRecordSidePrefix); });
    if (recordSide && options.routers.empty()) return missing(kRouterOptionName);
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
    for (const OptionDescription& option : OptionHelps()) text += OptionLines(option);
    text += HelpLines("  -h, --help", "print the help (of COMMAND when one is given) and end");
    text += HelpLines("  --version", "print the program's version and end") + "\n";
    text += PasswordHelp() + "\n" + DefaultsHelp() + "\n" + FilesHelp() + "\n" + std::string(kExitHelp);
    return text;
}

std::string CliCommandHelpText(CliCommand command) {
    const CommandRule* rule = FindCommand(command);
    if (rule == nullptr) return CliUsageText();
    std::string text = "Usage: dezadav-cli " + std::string(rule->word) + " " + std::string(rule->synopsis) +
                       "\n\n" + WithFacts(rule->description) + "\n\nOptions:\n";
    for (std::string_view name : rule->own) text += OptionLines(HelpOf(name));
    text += HelpLines("  -h, --help", "print this help and end");
    if (!rule->shared.empty()) {
        std::string names;
        for (std::string_view name : rule->shared) names += (names.empty() ? "" : " ") + Spelled(name.data());
        text += Wrapped("Also (see dezadav-cli --help): " + names).substr(2);
    }
    std::string exits = Wrapped("Exit status: " + WithFacts(rule->exits));
    return text + "\n" + exits.substr(2);
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
