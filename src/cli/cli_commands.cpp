#include "cli/cli_commands.h"

#include <algorithm>

#include "cli/password_source.h"
#include "lang/messages.h"

namespace dezadav::cli {

namespace {

std::string Number(long value) {
    return std::to_string(value);
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

// The options most router commands take besides their own.
const std::vector<std::string_view> kRouterShared = {kModelOptionName,       kTelnetPortOptionName,
                                                     kDiscoveryPortOptionName, kWaitOptionName,
                                                     kPasswordFileOptionName, kTimeScaleOptionName,
                                                     kTranscriptOptionName,  kHistoryOptionName,
                                                     kNoHistoryOptionName};

constexpr std::string_view kApplyExits =
    "0 applied (or nothing to change); 1 a router or file operation failed; 2 unusable command line; "
    "130 or 143 stopped by Ctrl-C or SIGTERM after the command being sent (\"{interrupted}\")";

}  // namespace

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
          kReplaceOptionName, kShowSecretsOptionName, kJsonOptionName, kJobsOptionName, kPasswordsOptionName},
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
         {kRouterOptionName, kToOptionName, kDryRunOptionName, kForceOptionName, kShowSecretsOptionName,
          kJsonOptionName},
         {kModelOptionName, kHistoryOptionName, kTelnetPortOptionName, kDiscoveryPortOptionName,
          kWaitOptionName, kPasswordFileOptionName, kTimeScaleOptionName, kTranscriptOptionName},
         {},
         kApplyExits},
    };
    return commands;
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

// "--router HOST", or "--force" for a flag.
std::string Spelled(const char* name) {
    const OptionDescription& option = HelpOf(name);
    return "--" + std::string(name) + (*option.valueName == '\0' ? "" : " " + std::string(option.valueName));
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

}  // namespace dezadav::cli
