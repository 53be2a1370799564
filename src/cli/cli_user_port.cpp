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
    m_messages.ShowMessage(std::string(kMsgErrorCaption.englishDefault), NotAppliedWithoutForceText(warning),
                           MessageIcon::Stop);
    return false;
}

}  // namespace dezadav::cli
