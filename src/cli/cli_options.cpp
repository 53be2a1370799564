#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string_view>

#include "cli/cli_commands.h"
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

std::string CommandWord(CliCommand command) {
    const CommandRule* rule = FindCommand(command);
    return rule == nullptr ? std::string() : std::string(rule->word);
}

}  // namespace dezadav::cli
