#include "cli/command_echo_connection.h"

namespace dezadav::cli {

void CommandEchoConnection::Expect(std::vector<std::string> commands,
                                   std::function<void(const std::string&)> onSent) {
    m_expected = std::move(commands);
    m_next = 0;
    m_onSent = std::move(onSent);
}

void CommandEchoConnection::StopEcho() {
    m_expected.clear();
    m_next = 0;
    m_onSent = nullptr;
}

bool CommandEchoConnection::Connect(const std::string& ip, uint16_t port) {
    m_line.clear();
    m_pastPassword = false;
    return m_inner.Connect(ip, port);
}

void CommandEchoConnection::Send(std::string_view bytes) {
    m_inner.Send(bytes);
    for (char c : bytes) {
        if (c != '\r') {
            // The password line is never collected, so it cannot be printed by mistake.
            if (m_pastPassword) m_line.push_back(c);
            continue;
        }
        if (!m_pastPassword) {
            m_pastPassword = true;
            continue;
        }
        if (m_onSent && m_next < m_expected.size() && m_line == m_expected[m_next]) {
            ++m_next;
            m_onSent(m_line);
        }
        m_line.clear();
    }
}

}  // namespace dezadav::cli
