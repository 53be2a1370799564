#include "cli/cli_user_port.h"

namespace dezadav::cli {

std::optional<std::string> CliUserPort::ConfirmPassword(const RouterInfo&) {
    if (m_passwordGiven) return std::nullopt;
    m_passwordGiven = true;
    return m_password;
}

}  // namespace dezadav::cli
