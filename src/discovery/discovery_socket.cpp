#include "discovery/discovery_socket.h"

#include <linux/sock_diag.h>
#include <sys/socket.h>

#include <QHostAddress>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QUdpSocket>

#include "lang/messages.h"
#include "discovery/discovery_targets.h"

namespace dezadav {
namespace {

// One wake-up reads every answer of a burst; only a flood beyond that is left to the next turns of
// the event loop, one readyRead each, so that it cannot keep one notification busy for ever.
constexpr int kMaxDatagramsPerTurn = 4 * CDiscoverySocket::kBurstAnswers;

// The receive buffer asked for. The system counts each queued datagram at the size of the memory
// that holds it, not its payload: a page (4 KiB) a datagram on loopback and on most network cards.
// It grants at most its own limit (net.core.rmem_max) unless the program may exceed it.
constexpr int kReceiveBufferBytes = CDiscoverySocket::kBurstAnswers * 4096;

void EnlargeReceiveBuffer(int fd) {
    // The system doubles the value for its own bookkeeping; asking for the buffer's whole size keeps
    // room for the answers' headers too. Forcing works with network-admin rights only.
    const int wanted = kReceiveBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted) == 0) return;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted);
}

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

void CDiscoverySocket::SetAnswersLostHandler(AnswersLostHandler handler) {
    m_lostHandler = std::move(handler);
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
    EnlargeReceiveBuffer(static_cast<int>(socket->socketDescriptor()));
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

int CDiscoverySocket::ReceiveBufferBytes() const {
    if (!m_socket) return 0;
    int bytes = 0;
    socklen_t length = sizeof bytes;
    if (::getsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &bytes, &length) != 0)
        return 0;
    return bytes;
}

std::optional<std::uint32_t> CDiscoverySocket::DroppedDatagrams() const {
    if (!m_socket) return std::nullopt;
    // The system's own count of datagrams it could not queue (the buffer was full).
    std::uint32_t memory[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof memory;
    if (::getsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_MEMINFO, memory, &length) != 0 ||
        length < static_cast<socklen_t>(sizeof(std::uint32_t) * (SK_MEMINFO_DROPS + 1))) {
        return std::nullopt;
    }
    return memory[SK_MEMINFO_DROPS];
}

std::vector<std::string> CDiscoverySocket::Targets() const {
    return DiscoveryTargets(m_target, m_target ? std::vector<std::string>{} : InterfaceBroadcastAddresses());
}

int CDiscoverySocket::SendRequest() {
    MarkRequest();
    int sent = 0;
    for (const std::string& target : Targets()) {
        if (SendDatagramTo(target)) ++sent;
    }
    return sent;
}

bool CDiscoverySocket::SendRequestTo(const std::string& address) {
    MarkRequest();
    return SendDatagramTo(address);
}

void CDiscoverySocket::MarkRequest() {
    m_droppedAtRequest = DroppedDatagrams();
    m_lossReported = false;
}

bool CDiscoverySocket::SendDatagramTo(const std::string& address) {
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
    CheckForLostAnswers();
    // Datagrams left by the cap are not read from a posted call: the socket signals readyRead again
    // on the next turn of the loop while datagrams are pending. A posted call would take datagrams
    // whose readyRead is already on its way; that readyRead then finds nothing to read, and an
    // unbuffered QUdpSocket that emitted readyRead without a readDatagram() after it never signals
    // again, which left the search deaf after a burst of more answers than one turn takes.
}

void CDiscoverySocket::CheckForLostAnswers() {
    if (m_lossReported || !m_droppedAtRequest || !m_lostHandler) return;
    const std::optional<std::uint32_t> dropped = DroppedDatagrams();
    if (!dropped || *dropped == *m_droppedAtRequest) return;
    m_lossReported = true;
    const AnswersLostHandler handler = m_lostHandler;
    handler();
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
