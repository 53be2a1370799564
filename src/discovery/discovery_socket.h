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
class CDiscoverySocket : public QObject {
    Q_OBJECT
public:
    using DatagramHandler = std::function<void(std::string_view datagram)>;

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

private:
    void ReadPending();

    QPointer<QUdpSocket> m_socket;
    DatagramHandler m_handler;
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
