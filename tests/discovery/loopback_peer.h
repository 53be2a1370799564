#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QUdpSocket>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dezadav::testing {

// Runs the event loop until `done` holds or `timeoutMs` has passed; returns `done()`.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

// A UDP endpoint on 127.0.0.1 standing in for a router: it receives requests and sends answers back
// to whoever asked last.
class LoopbackPeer {
public:
    LoopbackPeer() { m_socket.bind(QHostAddress(QHostAddress::LocalHost), 0); }

    bool IsBound() const { return m_socket.state() == QAbstractSocket::BoundState; }
    std::uint16_t Port() const { return m_socket.localPort(); }

    // Waits (bounded) for the next request; returns it, empty when none came.
    std::string ReceiveRequest(int timeoutMs = 5000) {
        if (!SpinUntil([this] { return m_socket.hasPendingDatagrams(); }, timeoutMs)) return {};
        std::string bytes(static_cast<std::size_t>(std::max<qint64>(0, m_socket.pendingDatagramSize())),
                          '\0');
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 length =
            m_socket.readDatagram(bytes.data(), static_cast<qint64>(bytes.size()), &sender, &senderPort);
        bytes.resize(static_cast<std::size_t>(std::max<qint64>(0, length)));
        m_lastSender = sender;
        m_lastSenderPort = senderPort;
        return bytes;
    }

    std::uint16_t LastSenderPort() const { return m_lastSenderPort; }

    // Sends one datagram to the sender of the last request.
    bool Answer(const std::string& bytes) {
        return m_socket.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), m_lastSender,
                                      m_lastSenderPort) == static_cast<qint64>(bytes.size());
    }

private:
    QUdpSocket m_socket;
    QHostAddress m_lastSender;
    std::uint16_t m_lastSenderPort = 0;
};

}  // namespace dezadav::testing
