#include "cli/cli_app.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <variant>

#include "cli/apply_interrupt.h"
#include "cli/cli_options.h"
#include "cli/diff_command.h"
#include "cli/fleet_commands.h"
#include "cli/json_output.h"
#include "cli/history_listing.h"
#include "cli/located_messages.h"
#include "cli/option_defaults.h"
#include "cli/router_job.h"
#include "cli/router_names.h"
#include "cli/settings_input.h"
#include "cli/stream_message_port.h"
#include "discovery/router_search.h"
#include "frontend/history_store.h"
#include "lang/builtin_language_source.h"
#include "lang/messages.h"
#include "session/clock.h"
#include "session/router_session.h"
#include "session/telnet_socket.h"
#include "session/transcript_file.h"
#include "settings/call_log_table.h"

namespace dezadav::cli {

namespace {

int UsageError(std::ostream& err, const std::string& reason, const std::string& commandWord) {
    err << UsageErrorText(reason, commandWord) << std::flush;
    return kExitUsage;
}

std::string JoinWithTabs(std::initializer_list<const std::string*> fields) {
    std::string line;
    for (const std::string* field : fields) {
        if (!line.empty() || field != *fields.begin()) line += '\t';
        line += *field;
    }
    return line;
}

// `discover`: one line (or one JSON entry) per router that answers.
int RunDiscover(const CliOptions& options, const FleetContext& context) {
    StreamMessagePort messages(context.out, context.err);
    SearchOptions search;
    search.target = options.common.broadcast.value_or(std::string(kDefaultDiscoverTarget));
    search.port = options.common.discoveryPort;
    search.waitMs = options.waitMs;
    auto routers = SearchRouters(search, context.language, messages);
    if (!routers) return kExitFailed;
    if (options.json) {
        QJsonArray found;
        for (const RouterInfo& r : *routers) found.append(RouterJson(r));
        context.out << JsonDocumentText(QJsonObject{{QStringLiteral("routers"), found}}) << std::flush;
    } else {
        for (const RouterInfo& r : *routers) {
            context.out << JoinWithTabs({&r.modelName, &r.ipAddress, &r.subnetMask, &r.macAddress, &r.firmwareVersion})
                        << '\n';
        }
    }
    // A script that looks for routers must tell "none" from "these".
    if (routers->empty()) {
        context.err << CliErrorLine(NoRouterAnsweredText(*search.target + ":" + std::to_string(search.port), search.waitMs))
                    << std::flush;
        return kExitFailed;
    }
    return kExitOk;
}

// One router's output on the process's streams: printed lines to `out`, messages as ever.
class StreamJobOutput : public RouterJobOutput {
public:
    StreamJobOutput(std::ostream& out, std::ostream& err) : m_out(out), m_messages(out, err) {}
    void PrintLine(const std::string& line) override { m_out << line << '\n' << std::flush; }
    void WriteData(const std::string& bytes) override { m_out << bytes << std::flush; }
    void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
        m_messages.ShowMessage(caption, text, icon);
    }

private:
    std::ostream& m_out;
    StreamMessagePort m_messages;
};

// "2026-12-08T09:15:04" from the router's "12-08-2026" and "09:15:04" (the router's own clock, which
// tells no zone); nothing when they are no such date and time.
QJsonValue CallTime(const CallLogRecord& call) {
    const QDateTime time = QDateTime::fromString(QString::fromStdString(call.date + " " + call.time),
                                                 QStringLiteral("MM-dd-yyyy HH:mm:ss"));
    return time.isValid() ? QJsonValue(time.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

void PrintCallLog(const CliOptions& options, const RouterJobResult& result, std::ostream& out) {
    if (!options.json) {
        for (const CallLogRecord& r : result.calls)
            out << JoinWithTabs({&r.number, &r.date, &r.time, &r.duration, &r.direction, &r.address}) << '\n';
        return;
    }
    QJsonArray calls;
    for (const CallLogRecord& r : result.calls) {
        calls.append(QJsonObject{{QStringLiteral("index"), QString::fromStdString(r.number)},
                                 {QStringLiteral("time"), CallTime(r)},
                                 {QStringLiteral("duration"), QString::fromStdString(r.duration).toLongLong()},
                                 {QStringLiteral("direction"), QString::fromStdString(r.direction)},
                                 {QStringLiteral("address"), QString::fromStdString(r.address)}});
    }
    out << JsonDocumentText(QJsonObject{{QStringLiteral("router"), QString::fromStdString(result.router.ipAddress)},
                                        {QStringLiteral("calls"), calls}});
}

// fetch, log, restore and an apply to one router: one router's exchange on the process's streams.
int RunOneRouter(const CliOptions& options, const FleetContext& context) {
    std::vector<RouterInfo> routers(1);
    routers.front().ipAddress = options.routers.front();
    RunPasswords passwords;
    int exitStatus = kExitOk;
    if (!PreparePasswords(options, context, routers, passwords, exitStatus)) return exitStatus;

    const RouterJobKind kind = options.command == CliCommand::Fetch ? RouterJobKind::Fetch
                               : options.command == CliCommand::Log ? RouterJobKind::Log
                               : options.dryRun                     ? RouterJobKind::DryRun
                                                                    : RouterJobKind::Apply;
    RouterJobRequest request = BaseRequest(options, context, kind, passwords);
    request.routerIp = routers.front().ipAddress;
    if (!routers.front().macAddress.empty()) request.knownRouter = routers.front();
    StreamJobOutput output(context.out, context.err);
    const RouterJobResult result = RunRouterJob(request, context.language, output);
    if (result.recordsNotWritten > 0) {
        // A script that keeps the history learns that it is not whole.
        context.err << CliErrorLine(RecordsNotWrittenText(result.recordsNotWritten)) << std::flush;
    }
    if (const int signal = ApplyInterruptSignal()) return InterruptedExitStatus(signal);
    if (result.ok && kind == RouterJobKind::Log) PrintCallLog(options, result, context.out);
    return result.ok && result.recordsNotWritten == 0 ? kExitOk : kExitFailed;
}

// apply and restore: each router's own backup file, and a JSON result, are a run over many routers,
// even when only one is named.
int RunApply(const CliOptions& options, const FleetContext& context) {
    // The JSON object of an apply is a fleet's, however many routers it names.
    if (options.routers.size() > 1 || !options.fromBackupDir.empty() || options.json) {
        return RunApplyToMany(options, context);
    }
    return RunOneRouter(options, context);
}

int RunHistoryCommand(const CliOptions& options, const FleetContext& context) {
    StreamMessagePort messages(context.out, context.err);
    return RunHistory(options, *context.history, context.out, context.language, messages);
}

using CommandHandler = int (*)(const CliOptions&, const FleetContext&);

// What runs each command, and whether it records in (or reads) the history.
struct CommandHandling {
    CliCommand command;
    CommandHandler run;
    bool usesHistory;
};
constexpr CommandHandling kHandlers[] = {
    {CliCommand::Discover, RunDiscover, false}, {CliCommand::Fetch, RunOneRouter, true},
    {CliCommand::Apply, RunApply, true},        {CliCommand::Log, RunOneRouter, false},
    {CliCommand::Backup, RunBackup, true},      {CliCommand::Diff, RunDiff, false},
    {CliCommand::History, RunHistoryCommand, true}, {CliCommand::Restore, RunApply, true},
    {CliCommand::Show, RunShow, false},
};

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::function<PasswordSources(std::optional<std::string> passwordFile)>& passwordSources,
           bool errIsTerminal) {
    std::vector<OptionDefault> defaults;
    const auto environment = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    };
    const std::optional<std::string> defaultsError =
        ReadOptionDefaults(CliConfigFilePath(), environment, defaults);
    CliParseResult parsed = ParseCliArguments(args, defaults);
    if (!parsed.options) return UsageError(err, parsed.error, parsed.commandWord);
    CliOptions& options = *parsed.options;
    if (options.command == CliCommand::Help) {
        out << (options.helpTopic ? CliCommandHelpText(*options.helpTopic) : CliUsageText()) << std::flush;
        return kExitOk;
    }
    if (options.command == CliCommand::Version) {
        out << CliVersionText() << std::flush;
        return kExitOk;
    }
    // A broken settings file does not stand in the way of help, but of every command.
    if (defaultsError) return UsageError(err, *defaultsError, CommandWord(options.command));
    const auto handling = std::find_if(std::begin(kHandlers), std::end(kHandlers),
                                       [&](const CommandHandling& h) { return h.command == options.command; });
    if (handling == std::end(kHandlers)) return kExitUsage;
    // The history (and diff's records) know a router by its MAC address too.
    const bool routerByMac = (options.command == CliCommand::History || options.command == CliCommand::Diff ||
                              options.command == CliCommand::Show) &&
                             !options.routers.empty() && IsMacAddressText(options.routers.front());
    if (auto error = routerByMac ? std::nullopt : ResolveRouterNames(options.routers)) {
        err << CliErrorLine(*error) << std::flush;
        return kExitFailed;
    }

    StreamMessagePort messages(out, err);
    const LanguageTable language = BuiltinEnglishTable(&messages);

    // A file that cannot be applied as it stands ends the run before any router is searched for or
    // logged in to.
    if (options.command == CliCommand::Apply && !options.inputFile.empty()) {
        auto input = ReadSettingsInput(options.inputFile, options.model, language, std::cin, options.replace);
        if (const auto* refused = std::get_if<std::string>(&input)) {
            err << *refused << '\n' << std::flush;
            return kExitFailed;
        }
        SettingsInput& read = std::get<SettingsInput>(input);
        options.inputText = std::move(read.text);
        options.inputSource = std::move(read.source);
    }

    // One history for every router of the run (its records are written one at a time), opened before
    // any router is contacted: a folder that cannot be used ends the run before anything is sent.
    const bool recordSides = std::any_of(options.diffSides.begin(), options.diffSides.end(),
                                         [](const std::string& side) { return side.starts_with(kRecordSidePrefix); });
    OpenedHistory history;
    if (handling->usesHistory || recordSides) {
        history = OpenHistory(options.common, std::string("dezadav-cli ") + ProgramVersion());
        if (history.problem) {
            err << CliErrorLine(HistoryUnusableText(*history.problem)) << std::flush;
            return kExitFailed;
        }
        if (history.warning) err << CliErrorLine(*history.warning) << std::flush;
    }

    // One transcript file for every router of the run; the many-router commands write to it from
    // several threads, so a failure found there is printed from the waiting thread.
    std::unique_ptr<TranscriptFile> transcript;
    if (options.common.transcriptFile) {
        QThread* mainThread = QThread::currentThread();
        transcript = std::make_unique<TranscriptFile>(
            *options.common.transcriptFile, [&err, mainThread](const std::string& text) {
                auto print = [&err, text] { err << CliErrorLine(text) << std::flush; };
                if (QThread::currentThread() == mainThread) {
                    print();
                } else {
                    QMetaObject::invokeMethod(QCoreApplication::instance(), print, Qt::QueuedConnection);
                }
            });
        transcript->Open();
    }

    if (options.command == CliCommand::Apply || options.command == CliCommand::Restore)
        InstallApplyInterruptHandlers();
    auto commonPassword = [&] { return ObtainPassword(passwordSources(options.passwordFile)); };
    const FleetContext context{out, err, errIsTerminal, language, commonPassword, transcript.get(),
                               history.history.get()};
    return handling->run(options, context);
}

}  // namespace dezadav::cli
