#include "session/router_session.h"

#include "session/apply_commands.h"
#include "settings/router_model.h"

namespace dezadav {

const MessageText* ProgressTextFor(SessionMode mode) {
    switch (mode) {
        case SessionMode::GetSettings:
            return &kMsgProgressGetSettings;
        case SessionMode::ApplySettings:
            return &kMsgProgressApplySettings;
        case SessionMode::GetVoipLog:
            return &kMsgProgressGetVoipLog;
    }
    return nullptr;
}

RouterSession::RouterSession(RouterConnection& socket, const Clock& clock, const LanguageTable& language,
                             MessagePort& messages)
    : m_socket(socket),
      m_clock(clock),
      m_language(language),
      m_messages(messages),
      m_dialogue(socket, clock) {}

void RouterSession::SetObserver(SessionObserver* observer) {
    m_observer = observer;
    m_dialogue.SetObserver(observer);
}

SessionResult RouterSession::Run(const SessionRequest& request) {
    SessionResult result;
    if (ProgressTextFor(request.mode) == nullptr) return result;
    m_dialogue.SetTimeScale(request.timeScale);
    if (m_observer != nullptr) m_observer->ExchangeStarted(m_clock.NowMs(), request);
    switch (request.mode) {
        case SessionMode::GetSettings:
            result.ok = RunFetch(request, false, result.fetched);
            break;
        case SessionMode::ApplySettings:
            result.ok = RunApply(request, result.commandsApplied);
            break;
        case SessionMode::GetVoipLog:
            result.ok = RunFetch(request, true, result.fetched);
            break;
    }
    return result;
}

bool RouterSession::EndRun(bool ok, std::string_view shownText) {
    if (m_observer != nullptr) m_observer->ExchangeEnded(m_clock.NowMs(), ok, shownText);
    return ok;
}

bool RouterSession::FailRun(const MessageText& message, bool closeSocket) {
    ShowMessageText(m_language, m_messages, message);
    if (closeSocket) m_socket.Close();
    return EndRun(false, TextOrDefault(m_language, message));
}

bool RouterSession::FailWithDetail(const MessageText& message, const std::string& detail, bool closeSocket) {
    // Shown like every other failure, with what it concerns after the text. Never a secret value.
    const std::string shown = ShowMessageWithDetail(m_language, m_messages, message, detail);
    if (closeSocket) m_socket.Close();
    return EndRun(false, shown);
}

bool RouterSession::OpenSession(const SessionRequest& request) {
    // A control byte in the password would end the password line early and type the rest into the
    // router's shell; nothing is sent at all then.
    if (ContainsControlByte(request.password)) {
        const ApplyRefusal refusal = ControlByteRefusal(kMsgFieldPassword);
        return FailWithDetail(refusal.message, refusal.Detail(m_language), false);
    }
    if (!m_socket.Create()) return FailRun(kMsgTcpSocket, false);
    if (!m_socket.Connect(request.routerIp, request.telnetPort, m_dialogue.Scaled(kConnectTimeoutMs))) {
        return FailRun(kMsgConnect, true);
    }
    PumpMessagesFor(m_socket, m_clock, m_dialogue.Scaled(kConnectPumpMs));
    if (m_dialogue.Login(request.password, kLoginTimeoutMs) != LoginResult::LoginOk)
        return FailRun(kMsgLogin, true);
    return true;
}

bool RouterSession::RunFetch(const SessionRequest& request, bool logOnly, FetchedTexts& fetched) {
    if (!OpenSession(request)) return false;
    const bool twoPort = IsTwoPortModel(request.modelName);
    for (const FetchCommand& command : kFetchCommands) {
        if (logOnly && &command != &kCallLogFetchCommand) continue;
        if (command.twoPortOnly && !twoPort) continue;
        std::string& text = fetched.*command.text;
        if (!m_dialogue.GetCommandOutput(text, command.command)) return FailRun(command.failure, true);
    }
    m_socket.Close();
    return EndRun(true, {});
}

bool RouterSession::RunApply(const SessionRequest& request, std::size_t& applied) {
    // Every value was checked when the plan was built, before the connection is made, so a refused
    // value sends nothing.
    const ApplyPlan& plan = request.plan;
    if (plan.refusal) return FailWithDetail(plan.refusal->message, plan.refusal->Detail(m_language), false);
    if (!OpenSession(request)) return false;

    std::string reply;
    for (const ApplyCommand& command : plan.commands) {
        if (m_stop.requested && m_stop.requested()) {
            m_socket.Close();
            const std::string stopped = m_stop.message(applied, plan.commands.size());
            m_messages.ShowMessage(TextOrDefault(m_language, kMsgErrorCaption), stopped, MessageIcon::Stop);
            return EndRun(false, stopped);
        }
        if (!m_dialogue.SendSetCommand(command.text, &reply)) return FailRun(command.failure, true);
        // A router that refuses a value says so and goes on with its prompt; what was sent before
        // stays in force, nothing after it is sent.
        const std::optional<std::string> refusal = RouterRefusal(reply);
        if (refusal && !command.refusalHarmless) {
            return FailWithDetail(kMsgRouterRefused, "\n" + command.ShownText() + "\n\"" + *refusal + "\"", true);
        }
        ++applied;
    }
    m_socket.Close();
    const std::string success = TextOrDefault(m_language, kMsgApplyOk);
    m_messages.ShowMessage(TextOrDefault(m_language, kMsgSuccessCaption), success, MessageIcon::None);
    return EndRun(true, success);
}

}  // namespace dezadav
