#include "discovery/discovery_socket.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QUdpSocket>

#include "lang/messages.h"
#include "discovery/discovery_targets.h"

namespace dezadav {
namespace {

// A flood of datagrams must not keep one notification busy for ever; the rest is read on the next
// turns of the event loop, one readyRead each.
constexpr int kMaxDatagramsPerTurn = 64;

std::optional<QHostAddress> Ipv4Address(const std::string& text) {
    if (!IsDottedIpv4Address(text)) return std::nullopt;
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(text)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        return std::nullopt;
    }
    return address;
}

}  // namespace

CDiscoverySocket::CDiscoverySocket(QObject* parent) : QObject(parent) {}

CDiscoverySocket::~CDiscoverySocket() {
    Close();
}

void CDiscoverySocket::SetTarget(std::optional<std::string> address) {
    m_target = std::move(address);
}

void CDiscoverySocket::SetPort(std::uint16_t port) {
    m_port = port;
}

void CDiscoverySocket::SetLocalPort(std::uint16_t port) {
    m_localPort = port;
}

void CDiscoverySocket::SetHandler(DatagramHandler handler) {
    m_handler = std::move(handler);
}

bool CDiscoverySocket::Create(const LanguageTable& table, MessagePort& port) {
    Close();
    auto* socket = new QUdpSocket(this);
    // Discovery talks to the LAN only; no proxy may carry it (see the telnet socket).
    socket->setProxy(QNetworkProxy::NoProxy);
    bool created = socket->bind(QHostAddress(QHostAddress::AnyIPv4), m_localPort);
    if (created) {
        // Qt allows broadcasts on UDP sockets itself; asking again makes the requirement explicit and
        // turns a refusal into a failed create rather than silently lost requests.
        const int one = 1;
        created = ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &one,
                               sizeof one) == 0;
    }
    if (!created) {
        delete socket;
        ShowMessageText(table, port, kMsgUdpSocket);
        return false;
    }
    m_socket = socket;
    connect(socket, &QUdpSocket::readyRead, this, &CDiscoverySocket::ReadPending);
    return true;
}

bool CDiscoverySocket::IsOpen() const {
    return m_socket != nullptr;
}

void CDiscoverySocket::Close() {
    if (!m_socket) return;
    QUdpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->close();
    // The handler may close the socket from inside ReadPending(); the object goes once that returns.
    socket->deleteLater();
}

std::uint16_t CDiscoverySocket::LocalPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

std::vector<std::string> CDiscoverySocket::Targets() const {
    return DiscoveryTargets(m_target, m_target ? std::vector<std::string>{} : InterfaceBroadcastAddresses());
}

int CDiscoverySocket::SendRequest() {
    int sent = 0;
    for (const std::string& target : Targets()) {
        if (SendRequestTo(target)) ++sent;
    }
    return sent;
}

bool CDiscoverySocket::SendRequestTo(const std::string& address) {
    if (!m_socket) return false;
    const std::optional<QHostAddress> host = Ipv4Address(address);
    if (!host) return false;
    static const std::string request = BuildDiscoveryRequest();
    return m_socket->writeDatagram(request.data(), static_cast<qint64>(request.size()), *host, m_port) ==
           static_cast<qint64>(request.size());
}

void CDiscoverySocket::ReadPending() {
    // A nested event loop inside the handler must not start a second read over the same buffer; the
    // loop below picks up whatever arrived meanwhile.
    if (m_reading) return;
    m_reading = true;
    int handled = 0;
    while (m_socket && m_socket->hasPendingDatagrams() && handled < kMaxDatagramsPerTurn) {
        const qint64 length = m_socket->readDatagram(m_buffer, static_cast<qint64>(sizeof m_buffer));
        ++handled;
        if (length < 0 || !m_handler) continue;
        // A copy, so that a handler replacing itself does not destroy the function it runs in.
        const DatagramHandler handler = m_handler;
        handler(std::string_view(m_buffer, static_cast<std::size_t>(length)));
    }
    m_reading = false;
    // Datagrams left by the cap are not read from a posted call: the socket signals readyRead again
    // on the next turn of the loop while datagrams are pending. A posted call would take datagrams
    // whose readyRead is already on its way; that readyRead then finds nothing to read, and an
    // unbuffered QUdpSocket that emitted readyRead without a readDatagram() after it never signals
    // again, which left the search deaf after a burst of more answers than one turn takes.
}

std::vector<std::string> InterfaceBroadcastAddresses() {
    std::vector<std::string> addresses;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        // Qt derives a broadcast address for loopback too; a request sent there never leaves the host.
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        const auto entries = interface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.broadcast().isNull())
                continue;
            addresses.push_back(entry.broadcast().toString().toStdString());
        }
    }
    return addresses;
}

}  // namespace dezadav
