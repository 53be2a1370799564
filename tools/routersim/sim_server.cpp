#include "sim_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <sstream>

#include "discovery_answer.h"
#include "posix_io.h"

namespace dezadav::routersim {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    char c = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &c, 1);
}



// The command log shows control bytes and the backslash as \xNN, so that every line stays one line
// and a control byte that reached the router can be seen.
std::string Escaped(const std::string& line) {
    std::string out;
    for (unsigned char c : line) {
        if (c < 0x20 || c == 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool MakeAddress(const std::string& ip, uint16_t port, sockaddr_in& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    return inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) == 1;
}

// A listening TCP socket on ip:port, or -1 with errno set.
int Listen(const std::string& ip, uint16_t port) {
    sockaddr_in addr{};
    if (!MakeAddress(ip, port, addr)) {
        errno = EINVAL;
        return -1;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

// A UDP socket bound to ip:port, or -1 with errno set. No SO_REUSEADDR: a port another socket holds
// on the address must fail, so that a port picked for the main responder is retried.
int BindUdp(const std::string& ip, uint16_t port) {
    sockaddr_in addr{};
    if (!MakeAddress(ip, port, addr)) {
        errno = EINVAL;
        return -1;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

uint16_t LocalPort(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

std::string StateSummary(const RouterState& s) {
    std::ostringstream out;
    int inUse = 0;
    for (const auto& e : s.dialPlan) inUse += e.InUse() ? 1 : 0;
    out << "port=" << s.sipPort << " registrar=" << s.registrar;
    for (int i = 0; i < (s.twoPort ? 2 : 1); ++i) {
        const auto& a = s.accounts[i];
        out << " endpt" << i + 1 << "=" << a.registration << "," << a.name << "," << a.password << ","
            << a.expirySeconds;
    }
    out << " codec=" << s.codec << " size=" << s.packetSize << " dtmf=" << s.dtmfMode
        << " payload=" << s.payloadType << " rtp=" << s.rtpStart << "-" << s.rtpEnd << " dialplan=" << inUse
        << " calls=" << s.calls.size();
    return out.str();
}

}  // namespace

SimServer::SimServer(SimOptions options) : m_options(std::move(options)) {}

SimServer::~SimServer() {
    for (auto& c : m_connections) close(c.fd);
    for (int fd : m_listeners) close(fd);
    CloseDiscovery();
    if (m_ownLogFd) close(m_logFd);
}

bool SimServer::Open(std::string* error) {
    // Every router holds a listener and a discovery socket, plus its connections: hundreds of routers
    // need more descriptors than the usual soft limit.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    for (const auto& setup : m_options.routers) {
        auto router = std::make_unique<EmulatedRouter>();
        if (!router->Init(setup, error)) return false;
        m_routers.push_back(std::move(router));
    }
    if (!m_options.commandLog.empty()) {
        if (m_options.commandLog == "-") {
            m_logFd = STDOUT_FILENO;
        } else {
            m_logFd =
                open(m_options.commandLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
            if (m_logFd < 0) {
                *error = "cannot write command log " + m_options.commandLog + ": " + std::strerror(errno);
                return false;
            }
            m_ownLogFd = true;
        }
    }
    if (!OpenTelnet(error)) return false;
    if (m_options.discoveryEnabled && !OpenDiscovery(error)) return false;
    m_controlOpen = m_options.controlStdin;
    if (m_controlOpen) fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    return true;
}

bool SimServer::OpenTelnet(std::string* error) {
    // With port 0 the first address picks a free port and every other address must get the same one;
    // when another program holds it there, start over with a new port.
    const int attempts = m_options.telnetPort == 0 ? 50 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        uint16_t port = m_options.telnetPort;
        bool ok = true;
        for (const auto& router : m_routers) {
            int fd = Listen(router->setup.address, port);
            if (fd < 0) {
                *error = "cannot listen on " + router->setup.address + ":" + std::to_string(port) + ": " +
                         std::strerror(errno);
                ok = false;
                break;
            }
            if (port == 0) port = LocalPort(fd);
            m_listeners.push_back(fd);
        }
        if (ok) {
            m_telnetPort = port;
            return true;
        }
        for (int fd : m_listeners) close(fd);
        m_listeners.clear();
    }
    return false;
}

bool SimServer::OpenDiscovery(std::string* error) {
    sockaddr_in mainAddress{};
    if (!MakeAddress(m_options.discoveryAddress, m_options.discoveryPort, mainAddress)) {
        *error = "bad discovery address " + m_options.discoveryAddress;
        return false;
    }
    m_discoveryWildcard = mainAddress.sin_addr.s_addr == htonl(INADDR_ANY);
    // With port 0 the main responder picks a free port and every router address must get the same
    // one; when another program holds it on a router address, start over with a new port.
    const int attempts = m_options.discoveryPort == 0 ? 50 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        m_discoveryFd = BindUdp(m_options.discoveryAddress, m_options.discoveryPort);
        if (m_discoveryFd < 0) {
            *error = "cannot bind discovery to " + m_options.discoveryAddress + ":" +
                     std::to_string(m_options.discoveryPort) + ": " + std::strerror(errno);
            return false;
        }
        m_discoveryPort = LocalPort(m_discoveryFd);
        if (m_discoveryWildcard) {
            // The wildcard socket also receives what is sent to a router's own address; the destination
            // address of each request tells which.
            int one = 1;
            setsockopt(m_discoveryFd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
            m_routerDiscovery.assign(m_routers.size(), -1);
            return true;
        }
        bool ok = true;
        for (const auto& router : m_routers) {
            sockaddr_in own{};
            MakeAddress(router->setup.address, m_discoveryPort, own);
            if (own.sin_addr.s_addr == mainAddress.sin_addr.s_addr) {
                // On the main responder's own address the main responder answers, with every router.
                m_routerDiscovery.push_back(-1);
                continue;
            }
            int fd = BindUdp(router->setup.address, m_discoveryPort);
            if (fd < 0) {
                *error = "cannot bind discovery to " + router->setup.address + ":" +
                         std::to_string(m_discoveryPort) + ": " + std::strerror(errno);
                ok = false;
                break;
            }
            m_routerDiscovery.push_back(fd);
        }
        if (ok) return true;
        CloseDiscovery();
    }
    return false;
}

void SimServer::CloseDiscovery() {
    if (m_discoveryFd >= 0) close(m_discoveryFd);
    m_discoveryFd = -1;
    for (int fd : m_routerDiscovery) {
        if (fd >= 0) close(fd);
    }
    m_routerDiscovery.clear();
}

std::string SimServer::ReadyLine() const {
    std::string line = "READY telnet=" + std::to_string(m_telnetPort) + " discovery=";
    line += m_discoveryFd >= 0 ? m_options.discoveryAddress + ":" + std::to_string(m_discoveryPort) : "off";
    line += " routers=";
    for (size_t i = 0; i < m_routers.size(); ++i) line += (i ? "," : "") + m_routers[i]->setup.address;
    return line;
}

void SimServer::WriteStdout(const std::string& line) {
    WriteAll(STDOUT_FILENO, line + "\n");
}

int SimServer::Run() {
    if (pipe2(g_signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    if (m_options.addCallEverySeconds > 0) m_nextCallMs = NowMs() + m_options.addCallEverySeconds * 1000LL;

    while (!m_quit) {
        int64_t now = NowMs();
        if (m_nextCallMs != 0 && now >= m_nextCallMs) {
            AddCallEverywhere();
            m_nextCallMs = now + m_options.addCallEverySeconds * 1000LL;
        }
        int timeout = m_nextCallMs != 0 ? static_cast<int>(m_nextCallMs - now) : -1;
        std::vector<pollfd> fds;
        fds.push_back({g_signalPipe[0], POLLIN, 0});
        for (int fd : m_listeners) fds.push_back({fd, POLLIN, 0});
        size_t discoveryIndex = fds.size();
        if (m_discoveryFd >= 0) fds.push_back({m_discoveryFd, POLLIN, 0});
        size_t routerDiscoveryIndex = fds.size();
        for (int fd : m_routerDiscovery) fds.push_back({fd, POLLIN, 0});  // poll() skips fd -1
        size_t controlIndex = fds.size();
        if (m_controlOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
        size_t firstConnection = fds.size();
        for (size_t i = 0; i < m_connections.size();) {
            Connection& c = m_connections[i];
            if (!Flush(c)) {
                close(c.fd);
                m_connections.erase(m_connections.begin() + static_cast<long>(i));
                continue;
            }
            short events = POLLIN;
            auto& out = c.dialogue->Outgoing();
            if (!out.empty()) {
                if (out.front().dueMs <= now) {
                    events |= POLLOUT;
                } else {
                    int wait = static_cast<int>(out.front().dueMs - now);
                    if (timeout < 0 || wait < timeout) timeout = wait;
                }
            }
            fds.push_back({c.fd, events, 0});
            ++i;
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) return 1;
        if (fds[0].revents & POLLIN) break;
        for (size_t i = 0; i < m_listeners.size(); ++i) {
            if (fds[1 + i].revents & POLLIN) Accept(m_listeners[i], m_routers[i].get());
        }
        if (m_discoveryFd >= 0 && (fds[discoveryIndex].revents & POLLIN))
            AnswerDiscovery(m_discoveryFd, nullptr);
        for (size_t i = 0; i < m_routerDiscovery.size(); ++i) {
            if (fds[routerDiscoveryIndex + i].revents & POLLIN) {
                AnswerDiscovery(m_routerDiscovery[i], m_routers[i].get());
            }
        }
        if (m_controlOpen && (fds[controlIndex].revents & (POLLIN | POLLHUP | POLLERR))) ReadControl();
        // Connections accepted above come after the polled ones, so indices still match.
        size_t polled = fds.size() - firstConnection;
        for (size_t i = polled; i-- > 0;) {
            short revents = fds[firstConnection + i].revents;
            if (revents & (POLLIN | POLLHUP | POLLERR)) ReadFrom(m_connections[i]);
        }
        for (size_t i = 0; i < m_connections.size();) {
            if (m_connections[i].fd < 0) {
                m_connections.erase(m_connections.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }
    return 0;
}

void SimServer::Accept(int listenFd, EmulatedRouter* router) {
    int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    // Every chunk goes out as its own segment: the client counts chunks, not bytes.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Connection c;
    c.fd = fd;
    c.router = router;
    c.dialogue = std::make_unique<TelnetConnection>(
        *router, [this](const EmulatedRouter& r, const std::string& line) { LogCommand(r, line); }, NowMs());
    m_connections.push_back(std::move(c));
}

void SimServer::ReadFrom(Connection& c) {
    char buffer[4096];
    ssize_t n = read(c.fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        close(c.fd);
        c.fd = -1;
        return;
    }
    c.dialogue->Receive(buffer, static_cast<size_t>(n), NowMs());
    if (!Flush(c)) {
        close(c.fd);
        c.fd = -1;
    }
}

bool SimServer::Flush(Connection& c) {
    if (c.fd < 0) return true;
    auto& out = c.dialogue->Outgoing();
    int64_t now = NowMs();
    while (!out.empty() && out.front().dueMs <= now) {
        OutChunk& chunk = out.front();
        size_t left = chunk.bytes.size() - c.sentOfFront;
        if (left > 0) {
            ssize_t n = send(c.fd, chunk.bytes.data() + c.sentOfFront, left, MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
            if (n < 0) return false;
            c.sentOfFront += static_cast<size_t>(n);
            if (c.sentOfFront < chunk.bytes.size()) return true;
        }
        bool closeAfter = chunk.closeAfter;
        out.pop_front();
        c.sentOfFront = 0;
        if (closeAfter) return false;
    }
    return true;
}

void SimServer::AnswerDiscovery(int fd, const EmulatedRouter* only) {
    // Drain every queued request; each valid one is answered to the sender's own address (never
    // broadcast): on a router's own address by that router, on the main responder by every router in
    // router order, unless it was sent to a router's address and reached the wildcard socket.
    for (int i = 0; i < 64; ++i) {
        unsigned char buffer[2048];
        sockaddr_in from{};
        iovec iov{buffer, sizeof buffer};
        alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))];
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &iov;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        ssize_t n = recvmsg(fd, &message, 0);
        if (n < 0) return;
        if (!IsDiscoveryRequest(buffer, static_cast<size_t>(n))) continue;
        const EmulatedRouter* target = only;
        if (target == nullptr && m_discoveryWildcard) {
            for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &info.ipi_addr, text, sizeof text);
                target = RouterAt(text);
            }
        }
        if (target != nullptr) {
            SendAnswers(fd, from, *target, fd == m_discoveryFd);
        } else {
            for (const auto& router : m_routers) SendAnswers(fd, from, *router, false);
        }
    }
}

void SimServer::SendAnswers(int fd, const sockaddr_in& to, const EmulatedRouter& router,
                            bool fromRouterAddress) {
    // The wildcard socket would answer from whatever address the kernel picks; a router answers from
    // its own.
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    in_pktinfo source{};
    if (fromRouterAddress) inet_pton(AF_INET, router.setup.address.c_str(), &source.ipi_spec_dst);
    for (const auto& answer : DiscoveryAnswers(router.setup)) {
        iovec iov{const_cast<char*>(answer.data()), answer.size()};
        msghdr message{};
        message.msg_name = const_cast<sockaddr_in*>(&to);
        message.msg_namelen = sizeof to;
        message.msg_iov = &iov;
        message.msg_iovlen = 1;
        if (fromRouterAddress) {
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            cmsghdr* c = CMSG_FIRSTHDR(&message);
            c->cmsg_level = IPPROTO_IP;
            c->cmsg_type = IP_PKTINFO;
            c->cmsg_len = CMSG_LEN(sizeof source);
            std::memcpy(CMSG_DATA(c), &source, sizeof source);
        }
        sendmsg(fd, &message, 0);
    }
}

void SimServer::ReadControl() {
    char buffer[4096];
    ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        // Whoever started the emulator with control lines has gone: so does the emulator.
        m_controlOpen = false;
        m_quit = true;
        return;
    }
    m_controlBuffer.append(buffer, static_cast<size_t>(n));
    size_t newline;
    while ((newline = m_controlBuffer.find('\n')) != std::string::npos) {
        std::string line = m_controlBuffer.substr(0, newline);
        m_controlBuffer.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        WriteStdout(Control(line));
    }
    if (m_controlBuffer.size() > 65536) m_controlBuffer.clear();
}

EmulatedRouter* SimServer::RouterAt(const std::string& address) {
    for (auto& r : m_routers) {
        if (r->setup.address == address) return r.get();
    }
    return nullptr;
}

std::string SimServer::Control(const std::string& line) {
    std::vector<std::string> words = Words(line);
    const std::string& verb = words[0];
    if (verb == "quit") {
        m_quit = true;
        return "OK bye";
    }
    if (words.size() < 2) return "ERROR " + verb + " needs a router address";
    if (verb == "fault") {
        std::string arg = line.substr(line.find(words[1]));
        auto colon = arg.find(':');
        EmulatedRouter* router = colon == std::string::npos ? nullptr : RouterAt(arg.substr(0, colon));
        if (!router) return "ERROR fault takes <router ip>:<name>[=<value>]";
        std::string why;
        if (!router->setup.faults.Apply(arg.substr(colon + 1), &why)) return "ERROR " + why;
        return "OK fault";
    }
    EmulatedRouter* router = RouterAt(words[1]);
    if (!router) return "ERROR no router at " + words[1];
    if (verb == "clearfaults") {
        router->setup.faults = FaultSet();
        return "OK clearfaults";
    }
    if (verb == "state") return "OK " + StateSummary(router->state);
    if (verb == "addcall") {
        if (words.size() == 2) {
            router->AddCallAt(static_cast<long long>(std::time(nullptr)), "42", "IN", "192.168.1.50 5060");
        } else {
            CallRecord call;
            if (!ParseCallWords(std::vector<std::string>(words.begin() + 2, words.end()), call)) {
                return "ERROR addcall takes <ip> [<mm-dd-yyyy> <hh:mm:ss> <seconds> <IN|OUT> <address...>]";
            }
            router->state.AddCall(call);
        }
        const CallRecord& top = router->state.calls.front();
        return "OK addcall " + top.date + " " + top.time;
    }
    return "ERROR unknown control line";
}

void SimServer::AddCallEverywhere() {
    ++m_callCounter;
    bool incoming = m_callCounter % 2 == 1;
    std::string duration = std::to_string(17 * m_callCounter % 600);
    for (auto& router : m_routers) {
        router->AddCallAt(static_cast<long long>(std::time(nullptr)), duration, incoming ? "IN" : "OUT",
                          incoming ? "192.168.1.50 5060" : "101@192.168.1.21");
    }
}

void SimServer::LogCommand(const EmulatedRouter& router, const std::string& line) {
    if (m_logFd < 0) return;
    WriteAll(m_logFd, router.setup.address + " " + Escaped(line) + "\n");
}

}  // namespace dezadav::routersim
