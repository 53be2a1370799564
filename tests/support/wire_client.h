#pragma once

// The tests' telnet client for the emulator: follows the router dialogue byte by byte, one byte sent,
// one chunk (one read of at most 4000 bytes) awaited. Every wait is bounded.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>

namespace dezadav::testing {

class WireClient {
public:
    static constexpr int kWaitMs = 3000;

    ~WireClient() { Close(); }

    bool Connect(const std::string& ip, uint16_t port) {
        Close();
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        inet_pton(AF_INET, ip.c_str(), &addr.sin_addr);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            Close();
            return false;
        }
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }

    void Close() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }

    void SendByte(char c) { [[maybe_unused]] auto n = send(m_fd, &c, 1, MSG_NOSIGNAL); }

    // One chunk, or nothing when none came within the wait. closed is set when the peer closed.
    std::optional<std::string> Chunk(int waitMs = kWaitMs) {
        pollfd pfd{m_fd, POLLIN, 0};
        if (m_fd < 0 || poll(&pfd, 1, waitMs) <= 0) return std::nullopt;
        char buffer[4000];
        ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            closed = true;
            return std::nullopt;
        }
        return std::string(buffer, static_cast<size_t>(n));
    }

    static bool IsPrompt(const std::string& chunk) {
        return chunk.size() >= 2 && chunk.compare(chunk.size() - 2, 2, "> ") == 0;
    }

    enum class Login { Ok, NoPrompt, Timeout, Rejected, NoShellPrompt };

    // The login as the program does it: the last chunk of the greeting must hold "Password:" after its
    // first byte; each password byte must be answered by a chunk; the answer to the carriage return is
    // a rejection when its third byte is 'P'; then chunks until one ends in the prompt.
    Login LogIn(const std::string& password) {
        auto greeting = Chunk();
        if (!greeting) return Login::Timeout;
        lastGreeting = *greeting;
        auto at = greeting->find("Password:");
        if (at == std::string::npos || at == 0) return Login::NoPrompt;
        for (char c : password) {
            SendByte(c);
            if (!Chunk()) return Login::Timeout;
        }
        SendByte('\r');
        auto answer = Chunk();
        if (!answer) return Login::Timeout;
        if (answer->size() > 2 && (*answer)[2] == 'P') return Login::Rejected;
        for (int guard = 0; guard < 100; ++guard) {
            if (IsPrompt(*answer)) return Login::Ok;
            answer = Chunk(1000);
            if (!answer) return Login::NoShellPrompt;
        }
        return Login::NoShellPrompt;
    }

    // A command as the program runs it: an empty line answered by one prompt chunk, every byte echoed
    // as one chunk, then the output collected up to the chunk ending in the prompt; the captured text
    // gets LF CR appended. chunks counts the chunks of the output. Nothing when a step fails or more
    // than maxBytes arrive.
    std::optional<std::string> Command(const std::string& command, size_t maxBytes = 65536) {
        chunks = 0;
        echoes.clear();
        SendByte('\r');
        auto c = Chunk();
        if (!c || !IsPrompt(*c)) return std::nullopt;
        for (char b : command) {
            SendByte(b);
            auto echo = Chunk();
            if (!echo) return std::nullopt;
            echoes += *echo;
        }
        SendByte('\r');
        c = Chunk();
        if (!c) return std::nullopt;
        if (c->size() <= 2) {
            c = Chunk();
            if (!c) return std::nullopt;
        }
        std::string out;
        for (int guard = 0; guard < 100000; ++guard) {
            out += *c;
            ++chunks;
            if (out.size() > maxBytes) return std::nullopt;
            if (IsPrompt(*c)) return out + "\n\r";
            c = Chunk();
            if (!c) return std::nullopt;
        }
        return std::nullopt;
    }

    int fd() const { return m_fd; }

    bool closed = false;
    int chunks = 0;
    std::string echoes;
    std::string lastGreeting;

private:
    int m_fd = -1;
};

}  // namespace dezadav::testing
