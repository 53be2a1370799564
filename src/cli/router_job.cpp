#include "cli/router_job.h"

#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>

#include "cli/cli_options.h"
#include "cli/cli_user_port.h"
#include "cli/idle_tick_timer.h"
#include "cli/located_messages.h"
#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "session/apply_commands.h"
#include "session/clock.h"
#include "session/session_observer.h"
#include "session/session_request.h"
#include "session/setting_dlg.h"
#include "session/telnet_socket.h"
#include "session/transcript_file.h"
#include "workflow/router_workflow.h"

namespace dezadav::cli {

namespace {

bool Fail(MessagePort& messages, const std::string& text) {
    messages.ShowMessage("Error", text, MessageIcon::Stop);
    return false;
}

// Sends the discovery request to the router's own address and waits for that router's answer.
std::optional<RouterInfo> AskRouterForItsFields(const RouterJobRequest& request,
                                                const LanguageTable& language, MessagePort& messages,
                                                bool& socketFailed) {
    RouterSearch search(language, messages);
    search.Socket().SetPort(request.common.discoveryPort);
    socketFailed = !search.Open();
    if (socketFailed) return std::nullopt;

    std::optional<RouterInfo> found;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&search, &RouterSearch::RouterListed, &loop, [&](int row) {
        const RouterInfo& answer = search.Rows()[static_cast<std::size_t>(row)];
        if (!found && answer.ipAddress == request.routerIp) {
            found = answer;
            loop.quit();
        }
    });
    deadline.start(request.waitMs);
    search.StartAt(request.routerIp);
    if (!found) loop.exec();
    search.Close();
    return found;
}

// The router's fields into `router`: the answer in hand, the model given, or the router's own
// discovery answer. False when the router cannot be served: its message has been shown, or for a
// backup, `unsupported` is set instead.
bool RouterFields(const RouterJobRequest& request, const LanguageTable& language, MessagePort& messages,
                  RouterInfo& router, bool& unsupported) {
    router.ipAddress = request.routerIp;
    if (request.knownRouter) {
        router = *request.knownRouter;
    } else if (!request.model) {
        bool socketFailed = false;
        auto answer = AskRouterForItsFields(request, language, messages, socketFailed);
        if (socketFailed) return false;
        if (!answer) {
            // A backup is mostly run over many routers, where a router that is off is the likely
            // cause; one router's fetch or apply may meet a router that answers telnet only.
            const std::string where = request.routerIp + ":" + std::to_string(request.common.discoveryPort);
            if (request.kind == RouterJobKind::Backup)
                return Fail(messages, "The router at " + where + " did not answer the discovery request.");
            return Fail(messages, "No answer to the discovery request from " + where +
                                      "; give the model name with --model.");
        }
        router = *answer;
    }
    router.password.clear();
    if (request.model) {
        router.modelName = *request.model;
    } else if (!IsSupportedModel(router.modelName)) {
        if (request.kind == RouterJobKind::Backup) {
            unsupported = true;
            return false;
        }
        return Fail(messages,
                    "The router at " + request.routerIp + " reports the model \"" + router.modelName +
                        "\", which is not supported; give the model name with --model to go on anyway.");
    }
    return true;
}

// Writes the settings file through a temporary file in the same folder: the old file stays whole
// until the new one is complete, and nothing is left behind when writing fails.
bool WriteAtomically(const std::string& path, const std::string& bytes) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Prints each command an apply exchange types, the moment it goes out: a script sees what reached
// the router, in order, and after a failure part-way only what was sent.
class AppliedCommandEcho : public SessionObserver {
public:
    explicit AppliedCommandEcho(RouterJobOutput& output) : m_output(output) {}
    void ExchangeStarted(int64_t, const SessionRequest& request) override {
        m_applying = request.mode == SessionMode::ApplySettings;
    }
    void LineTyped(int64_t, std::string_view text, bool isPassword, bool echoed) override {
        if (!m_applying || isPassword || !echoed || text.empty()) return;
        m_output.PrintLine(std::string(text));
    }

private:
    RouterJobOutput& m_output;
    bool m_applying = false;
};

bool LoadAndApply(const RouterJobRequest& request, const LanguageTable& language, RouterWorkflow& workflow,
                  CSettingDlg& session, RouterJobOutput& output, MessagePort& messages) {
    switch (workflow.LoadSettingsFile(request.inputFile)) {
        case FileOutcome::Done:
            break;
        case FileOutcome::OpenFailed:
            // The window ends a load it cannot open silently; a script must learn that nothing was
            // loaded, so the load failure's own text is printed.
            ShowMessageText(language, messages, kMsgFileFail);
            return false;
        default:
            return false;  // each failing section has shown its message
    }

    if (request.kind == RouterJobKind::DryRun) {
        workflow.PrepareApplyTexts();
        const ApplyPlan plan = BuildApplyPlan(session.apply, workflow.IsTwoPort(), language);
        if (!plan.refusedField.empty()) {
            return Fail(output, TextOrDefault(language, kMsgControlByte) + " (" + plan.refusedField + ")");
        }
        for (const ApplyCommand& command : plan.commands) output.PrintLine(command.text);
        // The end of this router's output, as an apply ends with its success text.
        output.ShowMessage({}, "Dry run: " + std::to_string(plan.commands.size()) + " commands not sent.",
                           MessageIcon::None);
        return true;
    }

    // Nothing to send is no failure: the router already holds what the file says.
    const ApplyOutcome outcome = workflow.ApplyFlow();
    return outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NoChanges;
}

}  // namespace

std::string BackupFileName(const RouterInfo& router) {
    return (router.macAddress.empty() ? router.ipAddress : router.macAddress) + ".csv";
}

RouterJobResult RunRouterJob(const RouterJobRequest& request, const LanguageTable& language,
                             RouterJobOutput& output) {
    RouterJobResult result;
    if (!RouterFields(request, language, output, result.router, result.unsupportedModel)) return result;
    const RouterInfo& router = result.router;
    std::string password = request.password;
    if (request.passwords != nullptr) {
        password = request.passwords->For(router.ipAddress, router.macAddress).value_or(password);
    }

    // Every exchange of this router goes to the transcript, and the commands an apply sends are printed.
    SessionObserverFanOut observers;
    AppliedCommandEcho echo(output);
    observers.Add(&echo);
    std::optional<TranscriptWriter> transcript;
    if (request.transcript != nullptr) {
        transcript.emplace(*request.transcript, LocalTimeText);
        observers.Add(&*transcript);
    }

    LocatedMessagePort messages(output, language,
                                router.ipAddress + ":" + std::to_string(request.common.telnetPort));
    messages.SetInputFile(request.inputFile);
    messages.SetOutputFile(request.outputFile);
    CTelnetSocket socket;
    SteadyClock clock;
    CSettingDlg session(socket, clock, language, messages);
    CliUserPort port(router, password, messages);
    IdleTickTimer timer;
    RouterWorkflow workflow(language, port, session, timer);
    workflow.SetTelnetPort(request.common.telnetPort);
    workflow.SetTimeScale(request.common.timeScale);
    session.SetObserver(&observers);

    if (workflow.ConnectSequence() != ConnectOutcome::Connected) return result;

    switch (request.kind) {
        case RouterJobKind::Fetch:
            if (request.outputFile == kStandardOutputName) {
                output.WriteData(workflow.SettingsFileText());
                result.ok = true;
                break;
            }
            port.SetSaveFile(request.outputFile);
            result.ok = workflow.SaveAllFlow() == FileOutcome::Done;
            break;
        case RouterJobKind::Backup:
            result.backupFile = BackupFileName(router);
            messages.SetOutputFile(request.backupDir + "/" + result.backupFile);
            result.ok =
                WriteAtomically(request.backupDir + "/" + result.backupFile, workflow.SettingsFileText());
            if (!result.ok) {
                ShowMessageText(language, messages, kMsgSaveFail);
            }
            break;
        case RouterJobKind::Apply:
        case RouterJobKind::DryRun:
            result.ok = LoadAndApply(request, language, workflow, session, output, messages);
            break;
    }
    return result;
}

}  // namespace dezadav::cli
