#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emulated_router.h"
#include "sim_config.h"
#include "telnet_connection.h"

struct sockaddr_in;

namespace dezadav::routersim {

// The emulator's event loop: one telnet listener per router address (all on the same port), the
// discovery responder, the telnet connections, the control lines on standard input and the command
// log, all served by one poll() loop on one thread.
//
// Discovery is answered in two places on the same port: the main responder (its own address) answers
// a request with every router's datagram, and each router's own address answers with that router's
// datagram only, as a router does for a request sent straight to it. A wildcard main responder
// (0.0.0.0) receives both kinds itself and tells them apart by the request's destination address.
class SimServer {
public:
    explicit SimServer(SimOptions options);
    ~SimServer();

    // Builds the routers and opens every socket. False, with a reason, when a router cannot be built
    // or an address cannot be bound.
    bool Open(std::string* error);
    // "READY telnet=<port> discovery=<addr>:<port>|off routers=<ip>,<ip>..." once Open() succeeded;
    // every router address answers discovery on that same port.
    std::string ReadyLine() const;
    // Serves until SIGINT/SIGTERM, the "quit" control line, or the end of standard input when control
    // lines are read from it. Returns the process exit code.
    int Run();

private:
    struct Connection {
        int fd = -1;
        EmulatedRouter* router = nullptr;
        std::unique_ptr<TelnetConnection> dialogue;
        size_t sentOfFront = 0;  // bytes of the front chunk already sent (after a partial send)
    };

    bool OpenTelnet(std::string* error);
    bool OpenDiscovery(std::string* error);
    void Accept(int listenFd, EmulatedRouter* router);
    void ReadFrom(Connection& c);
    // Sends every due chunk; false when the connection is to be closed.
    bool Flush(Connection& c);
    // Drains the requests queued on a discovery socket. `only` is the router whose own address the
    // socket is bound to, or null for the main responder.
    void AnswerDiscovery(int fd, const EmulatedRouter* only);
    void SendAnswers(int fd, const sockaddr_in& to, const EmulatedRouter& router, bool fromRouterAddress);
    void CloseDiscovery();
    void ReadControl();
    std::string Control(const std::string& line);
    void LogCommand(const EmulatedRouter& router, const std::string& line);
    void AddCallEverywhere();
    EmulatedRouter* RouterAt(const std::string& address);
    void WriteStdout(const std::string& line);

    SimOptions m_options;
    std::vector<std::unique_ptr<EmulatedRouter>> m_routers;
    std::vector<int> m_listeners;  // parallel to m_routers
    std::vector<Connection> m_connections;
    int m_discoveryFd = -1;
    bool m_discoveryWildcard = false;    // main responder on 0.0.0.0: it sees the destination address
    std::vector<int> m_routerDiscovery;  // parallel to m_routers; -1 where the main responder serves
    uint16_t m_telnetPort = 0;
    uint16_t m_discoveryPort = 0;
    int m_logFd = -1;
    bool m_ownLogFd = false;
    std::string m_controlBuffer;
    bool m_controlOpen = false;
    bool m_quit = false;
    int64_t m_nextCallMs = 0;
    int m_callCounter = 0;
};

}  // namespace dezadav::routersim
