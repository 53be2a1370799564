#include "session/telnet_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>

namespace dezadav {
namespace {

// How long one pass of the connect wait may sleep; the wait ends when the system reports the
// connection made or failed, or at the time-out.
constexpr int64_t kConnectPassMs = 1000;

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

CTelnetSocket::CTelnetSocket(QObject* parent) : QObject(parent) {}

CTelnetSocket::~CTelnetSocket() { Drop(); }

void CTelnetSocket::Drop() {
    m_readable.reset();
    m_writable.reset();
    m_unsent.clear();
    m_connected = false;
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CTelnetSocket::Create() {
    Drop();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return m_fd >= 0;
}

bool CTelnetSocket::Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) {
    if (m_fd < 0 || m_connected) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) return false;
    // Every typed byte waits for its echo: nothing is gained by holding a byte back for company.
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno != EINPROGRESS) {
            Drop();
            return false;
        }
        bool settled = false;
        QSocketNotifier writable(static_cast<qintptr>(m_fd), QSocketNotifier::Write);
        QObject::connect(&writable, &QSocketNotifier::activated, &writable, [this, &settled, &writable] {
            settled = true;
            writable.setEnabled(false);
            m_pump.Wake();
        });
        const QDeadlineTimer deadline(timeoutMs);
        while (!settled) {
            if (deadline.hasExpired()) {
                // A peer that drops connection requests would otherwise hold the exchange for as
                // long as the system keeps retrying.
                writable.setEnabled(false);
                Drop();
                return false;
            }
            m_pump.PumpEvents(std::min<int64_t>(kConnectPassMs, deadline.remainingTime()));
        }
        int error = 0;
        socklen_t length = sizeof(error);
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            writable.setEnabled(false);
            Drop();
            return false;
        }
    }
    m_connected = true;
    m_readable = std::make_unique<QSocketNotifier>(static_cast<qintptr>(m_fd), QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &CTelnetSocket::ReadOneChunk);
    return true;
}

void CTelnetSocket::Close() { Drop(); }

void CTelnetSocket::Send(std::string_view bytes) {
    if (!m_connected) return;
    // Handed to the system at once rather than at the next pass of the event loop: every typed byte
    // waits for its echo, so a late write costs a whole round of the loop.
    if (m_unsent.empty()) {
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && !WouldBlock(errno)) {
            // The failure shows as the echo that never comes.
            StopWatching();
            return;
        }
        if (sent > 0) bytes.remove_prefix(static_cast<std::size_t>(sent));
        if (bytes.empty()) return;
    }
    // What the system had no room for goes when it has, after anything still waiting.
    m_unsent.append(bytes);
    if (!m_writable) {
        m_writable = std::make_unique<QSocketNotifier>(static_cast<qintptr>(m_fd), QSocketNotifier::Write);
        connect(m_writable.get(), &QSocketNotifier::activated, this, &CTelnetSocket::SendUnsent);
    }
    m_writable->setEnabled(true);
}

void CTelnetSocket::SendUnsent() {
    const ssize_t sent = ::send(m_fd, m_unsent.data(), m_unsent.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && !WouldBlock(errno)) {
        StopWatching();
        return;
    }
    if (sent > 0) m_unsent.erase(0, static_cast<std::size_t>(sent));
    if (m_unsent.empty() && m_writable) m_writable->setEnabled(false);
}

void CTelnetSocket::PumpEvents(int64_t maxWaitMs) { m_pump.PumpEvents(maxWaitMs); }

void CTelnetSocket::ReadOneChunk() {
    char bytes[kChunkSize];
    const ssize_t read = ::recv(m_fd, bytes, sizeof(bytes), MSG_DONTWAIT);
    if (read > 0) {
        m_queue.Push(std::string_view(bytes, static_cast<std::size_t>(read)));
        m_pump.Wake();
        return;
    }
    // The peer closed the connection (0), or it failed: its chunks end here.
    if (read == 0 || !WouldBlock(errno)) {
        StopWatching();
        m_pump.Wake();
    }
}

void CTelnetSocket::StopWatching() {
    m_connected = false;
    m_unsent.clear();
    if (m_readable) m_readable->setEnabled(false);
    if (m_writable) m_writable->setEnabled(false);
}

}  // namespace dezadav
