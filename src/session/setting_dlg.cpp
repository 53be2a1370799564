#include "session/setting_dlg.h"

#include "discovery/model_rules.h"
#include "session/apply_commands.h"

namespace dezadav {

const SessionMessage* ProgressTextFor(SessionMode mode) {
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

CSettingDlg::CSettingDlg(RouterConnection& socket, const Clock& clock, const LanguageTable& language,
                         MessagePort& messages)
    : m_socket(socket),
      m_clock(clock),
      m_language(language),
      m_messages(messages),
      m_dialogue(socket, clock) {}

CSettingDlg::StartAction CSettingDlg::Start() {
    m_result = DialogResult::None;
    if (mode == SessionMode::GetVoipLog && !mainWindowVisible) {
        RunFetch(true);
        return StartAction::RanSilently;
    }
    if (ProgressTextFor(mode) == nullptr) return StartAction::Nothing;
    return StartAction::ShowAndTimer;
}

bool CSettingDlg::OnTimer(int timerId) {
    if (timerId != kRunTimerId) return false;
    return RunMode();
}

bool CSettingDlg::RunMode() {
    switch (mode) {
        case SessionMode::GetSettings:
            return RunFetch(false);
        case SessionMode::ApplySettings:
            return RunApply();
        case SessionMode::GetVoipLog:
            return RunFetch(true);
    }
    return false;
}

void CSettingDlg::ShowError(const SessionMessage& message) {
    m_language.ShowLocalizedMessage(m_messages, kMsgErrorCaption.key, message.key,
                                    kMsgErrorCaption.englishDefault, message.englishDefault);
}

bool CSettingDlg::EndRun(DialogResult result) {
    m_result = result;
    if (m_onClose) m_onClose(result);
    return result == DialogResult::Ok;
}

bool CSettingDlg::FailRun(const SessionMessage& message, bool closeSocket) {
    ShowError(message);
    if (closeSocket) m_socket.Close();
    return EndRun(DialogResult::Cancel);
}

bool CSettingDlg::RefuseControlBytes(std::string_view fieldName) {
    // Shown like every other failure (looked-up text with the exclamation icon, the English text with
    // the stop icon), with the field named after it. Never the value: it may be a password.
    std::string caption = TextOrDefault(m_language, kMsgErrorCaption);
    std::string text = m_language.LookupText(kMsgControlByte.key);
    MessageIcon icon = MessageIcon::Exclamation;
    if (text.empty() || text == kMissingText) {
        text = kMsgControlByte.englishDefault;
        icon = MessageIcon::Stop;
    }
    text += " (";
    text += fieldName;
    text += ")";
    m_messages.ShowMessage(caption, text, icon);
    return EndRun(DialogResult::Cancel);
}

bool CSettingDlg::OpenSession() {
    // A control byte in the password would end the password line early and type the rest into the
    // router's shell; nothing is sent at all then.
    if (ContainsControlByte(password)) return RefuseControlBytes("password");
    if (!m_socket.Create()) return FailRun(kMsgTcpSocket, false);
    if (!m_socket.Connect(routerIp, telnetPort)) return FailRun(kMsgConnect, true);
    PumpMessagesFor(m_socket, m_clock, kConnectPumpMs);
    if (m_dialogue.Login(password, kLoginTimeoutMs) != LoginResult::LoginOk) return FailRun(kMsgLogin, true);
    return true;
}

bool CSettingDlg::RunFetch(bool logOnly) {
    m_result = DialogResult::None;
    if (!OpenSession()) return false;
    const bool twoPort = IsTwoPortModel(modelName);
    for (const FetchCommand& command : kFetchCommands) {
        if (logOnly && &command != &kCallLogFetchCommand) continue;
        if (command.twoPortOnly && !twoPort) continue;
        // The command's text is emptied first: a failed command leaves no stale text behind, the
        // texts of the commands before it stay.
        std::string& text = fetched.*command.text;
        if (!m_dialogue.GetCommandOutput(text, command.command)) return FailRun(command.failure, true);
    }
    m_socket.Close();
    return EndRun(DialogResult::Ok);
}

bool CSettingDlg::RunApply() {
    m_result = DialogResult::None;
    // Every value is checked before the connection is made, so a refused value sends nothing.
    const ApplyPlan plan = BuildApplyPlan(apply, IsTwoPortModel(modelName), m_language);
    if (!plan.refusedField.empty()) return RefuseControlBytes(plan.refusedField);
    if (!OpenSession()) return false;

    for (std::size_t i = 0; i < plan.commands.size(); ++i) {
        const ApplyCommand& command = plan.commands[i];
        if (!m_dialogue.SendSetCommand(command.text)) return FailRun(command.failure, true);
        // The rows last applied change only once their whole area went through.
        const bool areaDone = i + 1 == plan.commands.size() || plan.commands[i + 1].area != command.area;
        if (!areaDone) continue;
        if (command.area == ApplyArea::Sip) apply.lastSipRow = apply.sipRow;
        if (command.area == ApplyArea::Codec) apply.lastCodecRow = apply.codecRow;
    }
    // A row that differed but had no fields to send is applied all the same.
    if (plan.sendsSip) apply.lastSipRow = apply.sipRow;
    if (plan.sendsCodec) apply.lastCodecRow = apply.codecRow;

    m_socket.Close();
    m_messages.ShowMessage(TextOrDefault(m_language, kMsgSuccessCaption),
                           TextOrDefault(m_language, kMsgApplyOk), MessageIcon::None);
    return EndRun(DialogResult::Ok);
}

}  // namespace dezadav
