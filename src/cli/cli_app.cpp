#include "cli/cli_app.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QThread>
#include <cstdlib>
#include <iostream>
#include <variant>
#include <memory>

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

int RunDiscover(const CliOptions& options, std::ostream& out, const LanguageTable& language,
                StreamMessagePort& messages) {
    SearchOptions search;
    search.target = options.common.broadcast.value_or(std::string(kDefaultDiscoverTarget));
    search.port = options.common.discoveryPort;
    search.waitMs = options.waitMs;
    auto routers = SearchRouters(search, language, messages);
    if (!routers) return kExitFailed;
    if (options.json) {
        QJsonArray found;
        for (const RouterInfo& r : *routers) found.append(RouterJson(r));
        out << JsonDocumentText(QJsonObject{{QStringLiteral("routers"), found}}) << std::flush;
        return kExitOk;
    }
    for (const RouterInfo& r : *routers) {
        out << JoinWithTabs({&r.modelName, &r.ipAddress, &r.subnetMask, &r.macAddress, &r.firmwareVersion})
            << '\n';
    }
    out << std::flush;
    return kExitOk;
}

int RunLog(const CliOptions& options, const std::string& password, TranscriptSink* transcriptFile,
           std::ostream& out, const LanguageTable& language, StreamMessagePort& messages) {
    std::optional<TranscriptWriter> transcript;
    if (transcriptFile != nullptr) transcript.emplace(*transcriptFile, LocalTimeText);
    CTelnetSocket socket;
    SteadyClock clock;
    LocatedMessagePort located(messages, language,
                               options.routers.front() + ":" + std::to_string(options.common.telnetPort));
    RouterSession session(socket, clock, language, located);
    if (transcript) session.SetObserver(&*transcript);
    SessionRequest request;
    request.telnetPort = options.common.telnetPort;
    request.routerIp = options.routers.front();
    request.password = password;
    if (options.model) request.modelName = *options.model;
    request.mode = SessionMode::GetVoipLog;
    request.timeScale = options.common.timeScale;
    const SessionResult result = session.Run(request);
    if (!result.ok) return kExitFailed;

    CallLogTable log;
    log.ParseCallLog(result.fetched.callLog);
    const auto& rows = log.Rows();
    for (int i = 0; i < log.RecordCount() && i < static_cast<int>(rows.size()); ++i) {
        const CallLogRecord& r = rows[static_cast<std::size_t>(i)];
        out << JoinWithTabs({&r.number, &r.date, &r.time, &r.duration, &r.direction, &r.address}) << '\n';
    }
    out << std::flush;
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

int RunFetchOrApply(const CliOptions& options, const std::string& password, const PasswordTable* passwords,
                    TranscriptSink* transcript, SettingsHistory* history, std::ostream& out, std::ostream& err,
                    const LanguageTable& language) {
    RouterJobRequest request;
    request.kind = options.command == CliCommand::Fetch ? RouterJobKind::Fetch
                   : options.dryRun                     ? RouterJobKind::DryRun
                                                        : RouterJobKind::Apply;
    request.routerIp = options.routers.front();
    request.model = options.model;
    request.password = password;
    request.passwords = passwords;
    request.common = options.common;
    request.waitMs = options.waitMs;
    request.outputFile = options.outputFile;
    request.inputFile = options.inputFile;
    request.inputText = options.inputText;
    request.inputSource = options.inputSource;
    request.force = options.force;
    request.showSecrets = options.showSecrets;
    request.transcript = transcript;
    request.history = history;
    if (options.command == CliCommand::Restore) request.restoreTo = options.restoreTo;
    StreamJobOutput output(out, err);
    const RouterJobResult result = RunRouterJob(request, language, output);
    if (result.recordsNotWritten > 0) {
        // A script that keeps the history learns that it is not whole.
        err << CliErrorLine(RecordsNotWrittenText(result.recordsNotWritten)) << std::flush;
        return kExitFailed;
    }
    return result.ok ? kExitOk : kExitFailed;
}

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
    const bool routerByMac = options.command == CliCommand::History && IsMacAddressText(options.routers.front());
    if (auto error = routerByMac ? std::nullopt : ResolveRouterNames(options.routers)) {
        err << CliErrorLine(*error) << std::flush;
        return kExitFailed;
    }

    StreamMessagePort messages(out, err);
    const LanguageTable language = BuiltinEnglishTable(&messages);

    if (options.command == CliCommand::Discover) return RunDiscover(options, out, language, messages);

    // A file that cannot be applied as it stands ends the run before any router is searched for or
    // logged in to.
    if (options.command == CliCommand::Apply && !options.inputFile.empty()) {
        auto input = ReadSettingsInput(options.inputFile, options.model, language, std::cin);
        if (const auto* refused = std::get_if<std::string>(&input)) {
            err << CliErrorLine(*refused) << std::flush;
            return kExitFailed;
        }
        SettingsInput& read = std::get<SettingsInput>(input);
        options.inputText = std::move(read.text);
        options.inputSource = std::move(read.source);
    }

    // One history for every router of the run (its records are written one at a time), opened before
    // any router is contacted: a folder that cannot be used ends the run before anything is sent.
    OpenedHistory history;
    // A diff only reads: it keeps no record of what it saw.
    if (options.command != CliCommand::Log && options.command != CliCommand::Diff) {
        history = OpenHistory(options.common, std::string("dezadav-cli ") + ProgramVersion());
        if (history.problem) {
            err << CliErrorLine(HistoryUnusableText(*history.problem)) << std::flush;
            return kExitFailed;
        }
        if (history.warning) err << CliErrorLine(*history.warning) << std::flush;
    }
    if (options.command == CliCommand::History)
        return RunHistory(options, *history.history, out, language, messages);

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

    auto commonPassword = [&] { return ObtainPassword(passwordSources(options.passwordFile)); };
    const FleetContext context{out, err, errIsTerminal, language, commonPassword, transcript.get(),
                               history.history.get()};
    if (options.command == CliCommand::Diff) return RunDiff(options, context);
    // Each router's own backup file is a run over many routers, even when only one is named.
    const bool manyRouters = options.command == CliCommand::Backup ||
                             (options.command == CliCommand::Apply &&
                              (options.routers.size() > 1 || !options.fromBackupDir.empty()));
    if (manyRouters) {
        return options.command == CliCommand::Backup ? RunBackup(options, context)
                                                     : RunApplyToMany(options, context);
    }

    RouterInfo router;
    router.ipAddress = options.routers.front();
    PasswordTable table;
    std::string password;
    int exitStatus = kExitOk;
    if (!PreparePasswords(options, context, {router}, table, password, exitStatus)) return exitStatus;

    if (options.command == CliCommand::Log)
        return RunLog(options, password, transcript.get(), out, language, messages);
    return RunFetchOrApply(options, password, options.passwordsFile ? &table : nullptr, transcript.get(),
                           history.history.get(), out, err, language);
}

}  // namespace dezadav::cli
