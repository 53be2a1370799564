#include "cli/cli_app.h"

#include <QEventLoop>
#include <QTimer>

#include "cli/cli_options.h"
#include "cli/cli_user_port.h"
#include "cli/command_echo_connection.h"
#include "cli/idle_tick_timer.h"
#include "cli/stream_message_port.h"
#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/builtin_language_source.h"
#include "session/apply_commands.h"
#include "session/clock.h"
#include "session/setting_dlg.h"
#include "session/telnet_socket.h"
#include "settings/call_log_table.h"
#include "workflow/router_workflow.h"

namespace dezadav::cli {

namespace {

int UsageError(std::ostream& err, const std::string& reason) {
    err << "dezadav-cli: " << reason << "\n\n" << CliUsageText();
    return kExitUsage;
}

int Failure(StreamMessagePort& messages, const std::string& text) {
    messages.ShowMessage("Error", text, MessageIcon::Stop);
    return kExitFailed;
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
    search.target = options.common.broadcast.value_or(kDefaultDiscoverTarget);
    search.port = options.common.discoveryPort;
    search.waitMs = options.waitMs;
    auto routers = SearchRouters(search, language, messages);
    if (!routers) return kExitFailed;
    for (const RouterInfo& r : *routers) {
        out << JoinWithTabs({&r.modelName, &r.ipAddress, &r.subnetMask, &r.macAddress, &r.firmwareVersion})
            << '\n';
    }
    out << std::flush;
    return kExitOk;
}

// Sends the discovery request to the router's own address and waits for that router's answer.
std::optional<RouterInfo> AskRouterForItsFields(const CliOptions& options, const LanguageTable& language,
                                                StreamMessagePort& messages, bool& socketFailed) {
    RouterSearch search(language, messages);
    search.Socket().SetPort(options.common.discoveryPort);
    socketFailed = !search.Open();
    if (socketFailed) return std::nullopt;

    std::optional<RouterInfo> found;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&search, &RouterSearch::RouterListed, &loop, [&](int row) {
        const RouterInfo& answer = search.Rows()[static_cast<std::size_t>(row)];
        if (!found && answer.ipAddress == options.routers.front()) {
            found = answer;
            loop.quit();
        }
    });
    deadline.start(options.waitMs);
    search.StartAt(options.routers.front());
    if (!found) loop.exec();
    search.Close();
    return found;
}

int RunLog(const CliOptions& options, const std::string& password, std::ostream& out,
           const LanguageTable& language, StreamMessagePort& messages) {
    CTelnetSocket socket;
    SteadyClock clock;
    CSettingDlg session(socket, clock, language, messages);
    session.telnetPort = options.common.telnetPort;
    session.routerIp = options.routers.front();
    session.password = password;
    if (options.model) session.modelName = *options.model;
    session.mode = SessionMode::GetVoipLog;
    if (!session.RunFetch(true)) return kExitFailed;

    CallLogTable log;
    log.ParseCallLog(session.fetched.callLog);
    const auto& rows = log.Rows();
    for (int i = 0; i < log.RecordCount() && i < static_cast<int>(rows.size()); ++i) {
        const CallLogRecord& r = rows[static_cast<std::size_t>(i)];
        out << JoinWithTabs({&r.number, &r.date, &r.time, &r.duration, &r.direction, &r.address}) << '\n';
    }
    out << std::flush;
    return kExitOk;
}

int RunFetchOrApply(const CliOptions& options, const std::string& password, std::ostream& out,
                    const LanguageTable& language, StreamMessagePort& messages) {
    RouterInfo router;
    router.ipAddress = options.routers.front();
    if (options.model) {
        router.modelName = *options.model;
    } else {
        bool socketFailed = false;
        auto answer = AskRouterForItsFields(options, language, messages, socketFailed);
        if (socketFailed) return kExitFailed;
        if (!answer) {
            return Failure(messages, "No answer to the discovery request from " + options.routers.front() +
                                         "; give the model name with --model.");
        }
        if (!IsSupportedModel(answer->modelName)) {
            return Failure(
                messages,
                "The router at " + options.routers.front() + " reports the model \"" + answer->modelName +
                    "\", which is not supported; give the model name with --model to go on anyway.");
        }
        router = *answer;
        router.password.clear();
    }

    CTelnetSocket socket;
    CommandEchoConnection connection(socket);
    SteadyClock clock;
    CSettingDlg session(connection, clock, language, messages);
    session.telnetPort = options.common.telnetPort;
    CliUserPort port(router, password, messages);
    IdleTickTimer timer;
    RouterWorkflow workflow(language, port, session, timer);

    if (workflow.ConnectSequence() != ConnectOutcome::Connected) return kExitFailed;

    if (options.command == CliCommand::Fetch) {
        port.SetSaveFile(options.outputFile);
        return workflow.SaveAllFlow() == FileOutcome::Done ? kExitOk : kExitFailed;
    }

    switch (workflow.LoadSettingsFile(options.inputFile)) {
        case FileOutcome::Done:
            break;
        case FileOutcome::OpenFailed:
            // The window ends a load it cannot open silently; a script must learn that nothing was
            // loaded, so the load failure's own text is printed.
            language.ShowLocalizedMessage(messages, kMsgErrorCaption.key, kMsgFileFail.key,
                                          kMsgErrorCaption.englishDefault, kMsgFileFail.englishDefault);
            return kExitFailed;
        default:
            return kExitFailed;  // each failing section has shown its message
    }

    workflow.PrepareApplyTexts();
    const ApplyPlan plan = BuildApplyPlan(session.apply, workflow.IsTwoPort(), language);
    std::vector<std::string> commands;
    for (const ApplyCommand& command : plan.commands) commands.push_back(command.text);

    if (options.dryRun) {
        if (!plan.refusedField.empty()) {
            return Failure(messages,
                           TextOrDefault(language, kMsgControlByte) + " (" + plan.refusedField + ")");
        }
        for (const std::string& command : commands) out << command << '\n';
        out << std::flush;
        return kExitOk;
    }

    connection.Expect(commands, [&out](const std::string& command) { out << command << '\n' << std::flush; });
    const ApplyOutcome outcome = workflow.ApplyFlow();
    connection.StopEcho();
    return outcome == ApplyOutcome::Applied ? kExitOk : kExitFailed;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::function<PasswordSources(std::optional<std::string> passwordFile)>& passwordSources) {
    CliParseResult parsed = ParseCliArguments(args);
    if (!parsed.options) return UsageError(err, parsed.error);
    const CliOptions& options = *parsed.options;
    if (options.command == CliCommand::Help) {
        out << CliUsageText() << std::flush;
        return kExitOk;
    }

    StreamMessagePort messages(out, err);
    LanguageTable& language = ProcessLanguageTable();
    LoadBuiltinEnglish(&messages);

    if (options.command == CliCommand::Discover) return RunDiscover(options, out, language, messages);

    PasswordOutcome password = ObtainPassword(passwordSources(options.passwordFile));
    if (!password.password) {
        if (password.usageError) return UsageError(err, password.error);
        return Failure(messages, password.error);
    }

    if (options.command == CliCommand::Log)
        return RunLog(options, *password.password, out, language, messages);
    return RunFetchOrApply(options, *password.password, out, language, messages);
}

}  // namespace dezadav::cli
