#include "routersim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#ifndef DEZADAV_ROUTERSIM_PATH
#error "DEZADAV_ROUTERSIM_PATH must name the emulator binary"
#endif

namespace dezadav::testing {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Value of "key=value" among the space-separated words of the ready line.
std::string WordValue(const std::string& line, const std::string& key) {
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        if (word.rfind(key + "=", 0) == 0) return word.substr(key.size() + 1);
    }
    return {};
}

}  // namespace

RouterSimProcess::RouterSimProcess(std::vector<std::string> extraArgs) {
    char dirTemplate[] = "/tmp/dezadav-routersim-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return;
    m_tempDir = dirTemplate;
    m_logPath = m_tempDir + "/commands.log";

    std::vector<std::string> args = {DEZADAV_ROUTERSIM_PATH, "--telnet-port", "0",       "--discovery",
                                     "127.0.0.1:0",          "--command-log", m_logPath, "--control-stdin"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());

    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) return;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // The emulator must not outlive a test process that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (m_pid < 0) {
        close(toChild[1]);
        close(fromChild[0]);
        return;
    }
    m_stdinFd = toChild[1];
    m_stdoutFd = fromChild[0];

    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        std::string line = ReadLine(MillisecondsLeft(deadline));
        if (line.rfind("READY", 0) != 0) {
            if (line.empty()) break;
            continue;
        }
        m_telnetPort = static_cast<uint16_t>(std::atoi(WordValue(line, "telnet").c_str()));
        std::string discovery = WordValue(line, "discovery");
        auto colon = discovery.rfind(':');
        if (colon != std::string::npos) {
            m_discoveryAddress = discovery.substr(0, colon);
            m_discoveryPort = static_cast<uint16_t>(std::atoi(discovery.c_str() + colon + 1));
        }
        std::istringstream routers(WordValue(line, "routers"));
        std::string address;
        while (std::getline(routers, address, ',')) {
            if (!address.empty()) m_routers.push_back(address);
        }
        m_ready = m_telnetPort != 0 && m_discoveryPort != 0;
        break;
    }
    if (!m_ready) {
        m_telnetPort = 0;
        m_discoveryPort = 0;
    }
}

RouterSimProcess::~RouterSimProcess() {
    if (m_stdinFd >= 0) close(m_stdinFd);
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, SIGTERM);
        auto deadline = Clock::now() + std::chrono::seconds(5);
        bool reaped = false;
        while (!reaped && Clock::now() < deadline) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                reaped = true;
            } else {
                usleep(10000);
            }
        }
        if (!reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    if (m_stdoutFd >= 0) close(m_stdoutFd);
    if (!m_logPath.empty()) unlink(m_logPath.c_str());
    if (!m_tempDir.empty()) rmdir(m_tempDir.c_str());
}

bool RouterSimProcess::IsRunning() const {
    if (!m_ready || m_pid <= 0 || m_reaped) return false;
    if (waitpid(m_pid, nullptr, WNOHANG) == 0) return true;
    m_reaped = true;  // never signal a process id that may have been given to another process
    return false;
}

uint16_t RouterSimProcess::TelnetPort() const {
    return m_telnetPort;
}

std::string RouterSimProcess::DiscoveryAddress() const {
    return m_discoveryAddress;
}

uint16_t RouterSimProcess::DiscoveryPort() const {
    return m_discoveryPort;
}

std::vector<std::string> RouterSimProcess::RouterAddresses() const {
    return m_routers;
}

std::vector<std::string> RouterSimProcess::CommandLog() const {
    std::vector<std::string> lines;
    std::ifstream in(m_logPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

void RouterSimProcess::ClearCommandLog() {
    // The emulator appends to the file, so after truncation its next line lands at offset 0.
    if (!m_logPath.empty()) truncate(m_logPath.c_str(), 0);
}

std::string RouterSimProcess::Control(const std::string& line) {
    if (m_stdinFd < 0) return {};
    std::string out = line + "\n";
    size_t sent = 0;
    while (sent < out.size()) {
        ssize_t n = write(m_stdinFd, out.data() + sent, out.size() - sent);
        if (n <= 0) return {};
        sent += static_cast<size_t>(n);
    }
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        std::string answer = ReadLine(MillisecondsLeft(deadline));
        if (answer.rfind("OK", 0) == 0 || answer.rfind("ERROR", 0) == 0) return answer;
        if (answer.empty()) break;
    }
    return {};
}

std::string RouterSimProcess::ReadLine(int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        auto newline = m_stdoutBuffer.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_stdoutBuffer.substr(0, newline);
            m_stdoutBuffer.erase(0, newline + 1);
            return line;
        }
        int left = MillisecondsLeft(deadline);
        if (m_stdoutFd < 0 || left <= 0) return {};
        pollfd pfd{m_stdoutFd, POLLIN, 0};
        if (poll(&pfd, 1, left) <= 0) return {};
        char buffer[4096];
        ssize_t n = read(m_stdoutFd, buffer, sizeof buffer);
        if (n <= 0) return {};
        m_stdoutBuffer.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace dezadav::testing
