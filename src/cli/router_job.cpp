#include "cli/router_job.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/apply_interrupt.h"
#include "cli/apply_job.h"
#include "cli/cli_options.h"
#include "cli/cli_user_port.h"
#include "cli/history_listing.h"
#include "cli/idle_tick_timer.h"
#include "cli/located_messages.h"
#include "cli/settings_input.h"
#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "session/apply_commands.h"
#include "session/clock.h"
#include "session/fiber_loop.h"
#include "session/qt_event_pump.h"
#include "session/router_session.h"
#include "session/session_observer.h"
#include "session/session_request.h"
#include "session/telnet_socket.h"
#include "session/transcript_file.h"
#include "settings/save_file_writer.h"
#include "settings/settings_file.h"
#include "settings/settings_json.h"
#include "workflow/router_workflow.h"

namespace dezadav::cli {

namespace {

// The router's settings as a JSON document (its SIP passwords only when asked for).
std::string SettingsDocument(RouterWorkflow& workflow, const RouterInfo& router, const RouterJobRequest& request) {
    const std::string model = router.modelName.empty() ? request.model.value_or("") : router.modelName;
    return SettingsJsonFromText(workflow.Files().SettingsFileText(), workflow.Connected().IsTwoPort(), model,
                                request.showSecrets, AllSettingsFileWords(workflow.Pages().Language()))
        .value_or("");
}

// An existing path that is no regular file: a FIFO, a character device such as /dev/stdout.
bool IsStreamTarget(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::file_status status = std::filesystem::status(path, ignored);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
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
    // Waited for through the pump, which a job of many on one loop shares with the others.
    QtEventPump pump;
    QObject::connect(&search, &RouterSearch::RouterListed, &search, [&](int row) {
        const RouterInfo& answer = search.Rows()[static_cast<std::size_t>(row)];
        if (!found && answer.ipAddress == request.routerIp) {
            found = answer;
            pump.Wake();
        }
    });
    const SteadyClock clock;
    const int64_t start = clock.NowMs();
    search.StartAt(request.routerIp);
    for (int64_t waited = 0; !found && waited < request.waitMs; waited = clock.NowMs() - start)
        pump.PumpEvents(request.waitMs - waited);
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
                return JobFailed(messages, NoDiscoveryAnswerInBackupText(where));
            return JobFailed(messages, NoDiscoveryAnswerText(where));
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
        return JobFailed(messages, UnsupportedModelText(request.routerIp, router.modelName));
    }
    return true;
}

// Prints each command an apply exchange types, the moment it goes out: a script sees what reached
// the router, in order, and after a failure part-way only what was sent.
class AppliedCommandEcho : public SessionObserver {
public:
    AppliedCommandEcho(RouterJobOutput& output, bool showSecrets, std::vector<std::string>& sent)
        : m_output(output), m_showSecrets(showSecrets), m_sent(sent) {}
    void ExchangeStarted(int64_t, const SessionRequest& request) override {
        m_applying = request.mode == SessionMode::ApplySettings;
        // From the first command on, Ctrl-C waits for the command being sent.
        if (m_applying) ApplyStarted();
    }
    void LineTyped(int64_t, std::string_view text, bool isPassword, bool echoed) override {
        if (!m_applying || isPassword || !echoed || text.empty()) return;
        m_sent.push_back(PrintedCommand(text, m_showSecrets));
        m_output.PrintLine(m_sent.back());
    }

private:
    RouterJobOutput& m_output;
    bool m_showSecrets;
    std::vector<std::string>& m_sent;
    bool m_applying = false;
};

// The history of one job, counting the records that could not be written.
class CountedHistory : public SettingsHistory {
public:
    explicit CountedHistory(SettingsHistory& history) : m_history(history) {}
    // Each call runs off the loop that the jobs of a fleet run share: git and the disk block.
    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view text,
                          bool onlyWhenChanged) override {
        HistoryOutcome outcome;
        RunOffLoop([&] { outcome = m_history.Record(router, cause, text, onlyWhenChanged); });
        if (outcome.problem) ++notWritten;
        return outcome;
    }
    std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>* problem) override {
        std::vector<HistoryEntry> entries;
        RunOffLoop([&] { entries = m_history.Entries(router, problem); });
        return entries;
    }
    std::optional<std::string> SettingsAt(const HistoryRouter& router, const std::string& id,
                                          std::optional<std::string>* problem) override {
        std::optional<std::string> settings;
        RunOffLoop([&] { settings = m_history.SettingsAt(router, id, problem); });
        return settings;
    }
    std::size_t notWritten = 0;

private:
    SettingsHistory& m_history;
};

// Files written whole, synced off the loop that the jobs of a fleet run share.
class OffLoopFileWriter : public FileWriter {
public:
    FileWriteResult WriteWhole(const std::string& path, std::string_view bytes, FileSecrecy secrecy) override {
        FileWriteResult result;
        RunOffLoop([&] { result = m_files.WriteWhole(path, bytes, secrecy); });
        return result;
    }

private:
    SaveFileWriter m_files;
};

// The router's call records, newest first, as the VoIP log page lists them.
bool ReadCallLog(const RouterJobRequest& job, const std::string& password, RouterSession& session,
                 std::vector<CallLogRecord>& calls) {
    SessionRequest request;
    request.routerIp = job.routerIp;
    request.telnetPort = job.common.telnetPort;
    request.password = password;
    request.mode = SessionMode::GetVoipLog;
    request.timeScale = job.common.timeScale;
    const SessionResult result = session.Run(request);
    if (!result.ok) return false;
    CallLogTable log;
    log.ParseCallLog(result.fetched.callLog);
    const std::vector<CallLogRecord>& rows = log.Rows();
    const auto count = std::min(rows.size(), static_cast<std::size_t>(std::max(log.RecordCount(), 0)));
    calls.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count));
    return true;
}

}  // namespace

std::string BackupFileName(const RouterInfo& router, bool json) {
    return HistoryRouter{router.macAddress, router.ipAddress, {}}.Name() + (json ? ".json" : ".csv");
}

namespace {

// One router's job (RunRouterJob) with the history it is given.
RouterJobResult RunJob(const RouterJobRequest& request, const LanguageTable& language, RouterJobOutput& output) {
    RouterJobResult result;
    // The call log reads the same in either router form: no model is needed.
    if (request.kind == RouterJobKind::Log) {
        result.router.ipAddress = request.routerIp;
    } else if (!RouterFields(request, language, output, result.router, result.unsupportedModel)) {
        return result;
    }
    const RouterInfo& router = result.router;
    std::string password = request.password;
    const std::optional<std::string> own =
        request.passwords == nullptr ? std::nullopt : request.passwords->For(router.ipAddress, router.macAddress);
    if (own) {
        password = *own;
    } else if (request.noCommonPassword) {
        JobFailed(output, NoPasswordForRouterText(router.ipAddress, router.macAddress));
        return result;
    }

    // Every exchange of this router goes to the transcript, and the commands an apply sends are printed.
    SessionObserverFanOut observers;
    AppliedCommandEcho echo(output, request.showSecrets, result.commands);
    observers.Add(&echo);
    std::optional<TranscriptWriter> transcript;
    if (request.transcript != nullptr) {
        transcript.emplace(*request.transcript, LocalTimeText);
        observers.Add(&*transcript);
    }

    // A router without a file of its own in the backup folder is not logged in to.
    std::string inputFile = request.inputFile;
    if (!request.fromBackupDir.empty()) {
        inputFile = request.fromBackupDir + "/" + BackupFileName(router);
        std::error_code ignored;
        const std::string document = request.fromBackupDir + "/" + BackupFileName(router, true);
        if (!std::filesystem::exists(inputFile, ignored) && std::filesystem::exists(document, ignored)) {
            inputFile = document;
        }
        if (!std::filesystem::exists(inputFile, ignored)) {
            JobFailed(output, NoBackupFileText(inputFile));
            return result;
        }
        // Each router's own file is checked before that router is logged in to.
        const std::optional<std::string> model =
            router.modelName.empty() ? request.model : std::optional<std::string>(router.modelName);
        std::istringstream noStandardInput;
        const auto checked = ReadSettingsInput(inputFile, model, language, noStandardInput, request.replace);
        if (const auto* refused = std::get_if<std::string>(&checked)) {
            JobFailed(output, *refused);
            return result;
        }
    }

    LocatedMessagePort messages(output, language,
                                router.ipAddress + ":" + std::to_string(request.common.telnetPort));
    messages.SetInputFile(inputFile);
    messages.SetOutputFile(request.outputFile);
    CTelnetSocket socket;
    SteadyClock clock;
    RouterSession session(socket, clock, language, messages);
    if (request.kind == RouterJobKind::Log) {
        session.SetObserver(&observers);
        result.ok = ReadCallLog(request, password, session, result.calls);
        return result;
    }
    CliUserPort port(router, password, request.force, messages, language);
    IdleTickTimer timer;
    OffLoopFileWriter files;
    RouterWorkflow workflow(language, port, session, timer, files);
    // The reason a file flow failed, as the system gave it (or "no settings section").
    messages.SetFileReason([&workflow] { return workflow.Files().LastFileProblem(); });
    workflow.Exchange().SetTelnetPort(request.common.telnetPort);
    workflow.Exchange().SetTimeScale(request.common.timeScale);
    session.SetObserver(&observers);
    session.SetStopCheck({[] { return ApplyInterruptSignal() != 0; }, ApplyInterruptedText});
    workflow.Recorder().SetHistory(request.history,
                                   request.kind == RouterJobKind::Backup ? HistoryCause::Backup : HistoryCause::Fetch);
    // Given its model, the router is not asked before the login; its discovery answer is asked for
    // meanwhile and taken when it has come by the end of the fetch, so its records follow its MAC.
    std::optional<RouterSearch> search;
    SilentMessagePort unasked;  // the run goes on without the answer
    if (request.model && !request.knownRouter) {
        search.emplace(language, unasked);
        search->Socket().SetPort(request.common.discoveryPort);
        if (search->Open()) search->StartAt(request.routerIp);
        port.SetMacSource([&search, &request] {
            for (const RouterInfo& answer : search->Rows()) {
                if (answer.ipAddress == request.routerIp) return answer.macAddress;
            }
            return std::string();
        });
    }

    if (workflow.ConnectSequence() != ConnectOutcome::Connected) return result;
    result.router.macAddress = workflow.Connected().Strip().mac;
    // A copy with settings the router did not tell would restore defaults in their place one day:
    // none is written (the message naming them has been shown).
    const bool keepsCopy = request.kind == RouterJobKind::Fetch || request.kind == RouterJobKind::Backup;
    if (keepsCopy && workflow.Unread().Any()) return result;

    if (keepsCopy) {
        if (const std::optional<std::string> problem = workflow.Files().UnwritableValue()) {
            JobFailed(output, *problem);
            return result;
        }
    }
    switch (request.kind) {
        case RouterJobKind::Fetch: {
            const std::string text = request.jsonSettings ? SettingsDocument(workflow, router, request) : std::string();
            if (request.outputFile == kStandardOutputName) {
                output.WriteData(request.jsonSettings ? text : workflow.Files().SettingsFileText());
                result.ok = true;
                break;
            }
            if (IsStreamTarget(request.outputFile)) {
                // A pipe or a device (/dev/stdout) cannot take a file renamed into its place.
                std::ofstream stream(request.outputFile, std::ios::binary);
                stream << (request.jsonSettings ? text : workflow.Files().SettingsFileText()) << std::flush;
                result.ok = static_cast<bool>(stream);
                if (!result.ok) ShowMessageText(language, messages, kMsgSaveFail);
                break;
            }
            if (request.jsonSettings) {
                const FileWriteResult written = files.WriteWhole(request.outputFile, text, FileSecrecy::OwnerOnly);
                result.ok = written.ok;
                if (!result.ok) {
                    messages.SetFileReason([reason = written.reason] { return reason; });
                    ShowMessageText(language, messages, kMsgSaveFail);
                }
                break;
            }
            port.SetSaveFile(request.outputFile);
            result.ok = workflow.Files().SaveAllFlow() == FileOutcome::Done;
            break;
        }
        case RouterJobKind::Backup: {
            result.backupFile = BackupFileName(router, request.jsonSettings);
            const std::string path = request.backupDir + "/" + result.backupFile;
            const std::string text = request.jsonSettings ? SettingsDocument(workflow, router, request)
                                                          : workflow.Files().SettingsFileText();
            const FileWriteResult written = files.WriteWhole(path, text, FileSecrecy::OwnerOnly);
            result.ok = written.ok;
            if (!result.ok) {
                messages.SetOutputFile(path);
                messages.SetFileReason([reason = written.reason] { return reason; });
                ShowMessageText(language, messages, kMsgSaveFail);
            }
            break;
        }
        case RouterJobKind::Apply:
        case RouterJobKind::DryRun:
            result.ok = LoadAndApply(request, inputFile, language, workflow, output, messages, result);
            if (request.kind == RouterJobKind::Apply) result.changes = port.ConfirmedChanges();
            // An apply stopped part-way left the router holding some of it: it is read once more, so
            // the history's newest record is what the router now holds.
            if (!result.ok && ApplyInterruptSignal() != 0) {
                port.AllowAnotherLogin();
                workflow.ConnectSequence();
            }
            break;
        case RouterJobKind::Log:  // done before the workflow
            break;
    }
    return result;
}

}  // namespace

RouterJobResult RunRouterJob(const RouterJobRequest& request, const LanguageTable& language,
                             RouterJobOutput& output) {
    std::optional<CountedHistory> history;
    RouterJobRequest counted = request;
    if (request.history != nullptr) counted.history = &history.emplace(*request.history);
    RouterJobResult result = RunJob(counted, language, output);
    if (history) result.recordsNotWritten = history->notWritten;
    return result;
}

}  // namespace dezadav::cli
