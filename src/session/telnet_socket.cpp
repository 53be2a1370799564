#include "session/telnet_socket.h"

#include <sys/socket.h>

#include <QDeadlineTimer>
#include <algorithm>

#include <QHostAddress>
#include <QMetaObject>
#include <QNetworkProxy>

namespace dezadav {
namespace {

// How long one pass of the connect wait may sleep; the wait ends when the system reports the
// connection made or failed, or at the time-out.
constexpr int64_t kConnectPassMs = 1000;

}  // namespace

CTelnetSocket::CTelnetSocket(QObject* parent) : QObject(parent) {}

CTelnetSocket::~CTelnetSocket() {
    if (m_socket) m_socket->abort();
}

bool CTelnetSocket::Create() {
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    m_socket = std::make_unique<QTcpSocket>();
    // A router sits on the LAN: no proxy from the environment or auto-configuration may carry its
    // session, and looking one up would cost a resolver thread per connection.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &CTelnetSocket::ReadOneChunk);
    return true;
}

bool CTelnetSocket::Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) {
    if (!m_socket) return false;
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(ip)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        return false;
    }
    m_socket->connectToHost(address, port);
    const QDeadlineTimer deadline(timeoutMs);
    while (m_socket->state() == QAbstractSocket::HostLookupState ||
           m_socket->state() == QAbstractSocket::ConnectingState) {
        if (deadline.hasExpired()) {
            // A peer that drops connection requests would otherwise hold the exchange for as long
            // as the system keeps retrying.
            m_socket->abort();
            return false;
        }
        m_pump.PumpEvents(std::min<int64_t>(kConnectPassMs, deadline.remainingTime()));
    }
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void CTelnetSocket::Close() {
    if (!m_socket) return;
    m_socket->disconnect(this);
    m_socket->close();
}

void CTelnetSocket::Send(std::string_view bytes) {
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) return;
    // Hand the bytes to the system now rather than at the next pass of the event loop: every typed
    // byte waits for its echo, so a late write costs a whole round of the loop. Written straight to
    // the descriptor: the socket's own write switches its write notification on and off again for
    // every byte, and each switch wakes the event loop (twice a typed byte, thousands a fetch).
    if (m_socket->bytesToWrite() == 0) {
        const ssize_t sent = ::send(static_cast<int>(m_socket->socketDescriptor()), bytes.data(), bytes.size(),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) bytes.remove_prefix(static_cast<std::size_t>(sent));
        if (bytes.empty()) return;
    }
    // What the system did not take (a full send buffer, an error to be reported by the socket) goes
    // the socket's own way, after anything it still holds.
    m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    m_socket->flush();
}

void CTelnetSocket::PumpEvents(int64_t maxWaitMs) {
    m_pump.PumpEvents(maxWaitMs);
}

void CTelnetSocket::ReadOneChunk() {
    m_readPosted = false;
    if (!m_socket) return;
    const QByteArray bytes = m_socket->read(static_cast<qint64>(kChunkSize));
    if (!bytes.isEmpty())
        m_queue.Push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // Bytes left over make the next notification, as a level-triggered socket would.
    if (m_socket->bytesAvailable() > 0 && !m_readPosted) {
        m_readPosted = true;
        QMetaObject::invokeMethod(this, &CTelnetSocket::ReadOneChunk, Qt::QueuedConnection);
    }
}

}  // namespace dezadav
