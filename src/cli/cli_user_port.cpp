#include "cli/cli_user_port.h"

#include "lang/messages.h"

namespace dezadav::cli {

std::optional<std::string> CliUserPort::ConfirmPassword(const RouterInfo&) {
    if (m_passwordGiven) return std::nullopt;
    m_passwordGiven = true;
    return m_password;
}

bool CliUserPort::ApplyDespite(const std::string& warning) {
    if (m_force) return true;
    // The window's question ends "Apply anyway?"; a script is told why it was refused and what helps.
    std::string refusal = NotAppliedWithoutForceText(warning);
    if (warning == TextOrDefault(m_language, kMsgFormTwoPortFile)) refusal = OtherFormRefusedText(true);
    if (warning == TextOrDefault(m_language, kMsgFormOnePortFile)) refusal = OtherFormRefusedText(false);
    m_messages.ShowMessage(std::string(kMsgErrorCaption.englishDefault), refusal, MessageIcon::Stop);
    return false;
}

}  // namespace dezadav::cli
