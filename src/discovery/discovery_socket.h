#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/discovery_datagram.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

class QUdpSocket;

namespace dezadav {

// The UDP socket the Select Router dialog (and the command-line router listing) searches with.
//
// Runs on the Qt event loop of the thread that creates it. Each received datagram is read whole, up
// to 1000 bytes (the rest of a longer one is lost), and handed to the handler; the handler returns
// before the next datagram is read, even when it runs a nested event loop (a message box). The
// handler may call SendRequest() or Close() but must not destroy the socket.
//
// Every router on the LAN answers the one request at the same moment, so the answers arrive as one
// burst: the socket's receive buffer is made large enough for kBurstAnswers answers, and every
// wake-up reads all that is pending. When the system still dropped answers (its buffer limit is
// lower than asked for), the answers-lost handler is told once per request.
class CDiscoverySocket : public QObject {
    Q_OBJECT
public:
    using DatagramHandler = std::function<void(std::string_view datagram)>;
    using AnswersLostHandler = std::function<void()>;

    // How many answers to one request the receive buffer is sized for.
    static constexpr int kBurstAnswers = 256;

    explicit CDiscoverySocket(QObject* parent = nullptr);
    ~CDiscoverySocket() override;

    // Replaces the broadcast targets with one address (dotted IPv4) when given; nothing restores the
    // default list (the limited broadcast plus every up interface's directed broadcast).
    void SetTarget(std::optional<std::string> address);
    // UDP port the request is sent to (56415 unless overridden).
    void SetPort(std::uint16_t port);
    // Local port to bind (0, the default, lets the system pick one).
    void SetLocalPort(std::uint16_t port);
    void SetHandler(DatagramHandler handler);
    // Told (after the datagrams read so far were handled) when the system dropped answers that
    // arrived since the last request went out; once per request.
    void SetAnswersLostHandler(AnswersLostHandler handler);

    // Opens the socket: UDP over IPv4, any local address, broadcasts allowed. On failure shows
    // kMsgUdpSocket through `port` and returns false; sends on the missing socket then fail.
    bool Create(const LanguageTable& table, MessagePort& port);
    bool IsOpen() const;
    void Close();

    // Sends the 12-byte request once to every current target. Returns how many sends went out
    // (the dialog does not look at it).
    int SendRequest();
    // Sends the request once to `address` only (a router's own address, to learn its model).
    bool SendRequestTo(const std::string& address);

    // The addresses SendRequest() sends to right now.
    std::vector<std::string> Targets() const;
    std::uint16_t Port() const { return m_port; }
    // The local port the open socket is bound to, 0 when closed.
    std::uint16_t LocalPort() const;
    // Bytes the system lets the open socket queue (0 when closed).
    int ReceiveBufferBytes() const;
    // Datagrams the system has dropped on the open socket since it was opened, when it says.
    std::optional<std::uint32_t> DroppedDatagrams() const;

private:
    void MarkRequest();
    bool SendDatagramTo(const std::string& address);
    void ReadPending();
    void CheckForLostAnswers();

    QPointer<QUdpSocket> m_socket;
    DatagramHandler m_handler;
    AnswersLostHandler m_lostHandler;
    std::optional<std::uint32_t> m_droppedAtRequest;  // the system's count when the last request went out
    bool m_lossReported = false;
    std::optional<std::string> m_target;
    std::uint16_t m_port = kDiscoveryPort;
    std::uint16_t m_localPort = 0;
    bool m_reading = false;
    char m_buffer[kMaxDiscoveryDatagramSize];
};

// The directed broadcast address of every up, broadcast-capable IPv4 interface other than loopback,
// in interface order.
std::vector<std::string> InterfaceBroadcastAddresses();

}  // namespace dezadav
