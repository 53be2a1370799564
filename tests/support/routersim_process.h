#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dezadav::testing {

// Runs the router emulator dezadav-routersim as a child process for one test.
//
// The emulator starts with its two default routers (127.0.0.2 two-port "DZV-R5730K" and 127.0.0.3
// one-port "DZV-R5830K", password "admin", filled dial plan and call log) plus whatever extraArgs add
// (fault switches such as {"--fault", "127.0.0.2:slow-echo=50"}, {"--config", path}, more routers).
// It listens on free loopback ports that it picks itself: the telnet port is the same on every router
// address, and discovery requests go to DiscoveryAddress():DiscoveryPort(). See docs/routersim.md for
// every option.
//
// Every wait here is bounded; the destructor stops the emulator (and the emulator also ends by itself
// when the test process dies).
class RouterSimProcess {
public:
    // Starts the emulator and waits (at most 10 s) until it reports that it is ready. When it does not
    // start, IsRunning() is false and the ports are 0.
    explicit RouterSimProcess(std::vector<std::string> extraArgs = {});
    ~RouterSimProcess();  // stops the emulator
    RouterSimProcess(const RouterSimProcess&) = delete;
    RouterSimProcess& operator=(const RouterSimProcess&) = delete;

    bool IsRunning() const;
    uint16_t TelnetPort() const;           // the same port on every router address
    std::string DiscoveryAddress() const;  // where a test sends the discovery request
    uint16_t DiscoveryPort() const;

    // Every command line the routers received so far, in order, each as "<router ip> <command line>".
    // Empty lines are not listed and the login password never is. Bytes below 0x20, 0x7F and the
    // backslash are written as \xNN escapes, so a control byte that reached a router is visible.
    std::vector<std::string> CommandLog() const;
    // Forgets the commands received so far (the next CommandLog() lists only later ones).
    void ClearCommandLog();

    // Sends one control line to the running emulator and waits (at most 5 s) for its answer line,
    // which starts with "OK" or "ERROR" and is returned (empty when none came). Control lines:
    //   addcall <router ip> [<mm-dd-yyyy> <hh:mm:ss> <seconds> <IN|OUT> <address words...>]
    //       puts a new call at the top of the router's call log (now, 42 s, IN 192.168.1.50 5060
    //       when only the address is given);
    //   fault <router ip>:<name>[=<value>]   switches a fault on while running;
    //   clearfaults <router ip>               switches every fault of that router off;
    //   state <router ip>                     answers "OK" followed by the router's settings on one line.
    std::string Control(const std::string& line);

    // The router addresses the emulator serves, as it reported them when it became ready.
    std::vector<std::string> RouterAddresses() const;

private:
    std::string ReadLine(int timeoutMs);

    pid_t m_pid = -1;
    mutable bool m_reaped = false;
    int m_stdinFd = -1;
    int m_stdoutFd = -1;
    std::string m_stdoutBuffer;
    std::string m_tempDir;
    std::string m_logPath;
    bool m_ready = false;
    uint16_t m_telnetPort = 0;
    std::string m_discoveryAddress;
    uint16_t m_discoveryPort = 0;
    std::vector<std::string> m_routers;
};

}  // namespace dezadav::testing
