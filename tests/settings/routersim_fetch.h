#pragma once

// A minimal telnet client for tests of the settings readers against the router emulator: logs in
// and captures one command's output in the form the fetch sequence hands to the readers
// (everything after the echoed command up to and including the closing prompt, then LF CR).
// Loopback only; every wait is bounded.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace dezadav::testing {

class RouterSimTelnet {
public:
    RouterSimTelnet(const std::string& ip, uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0) return;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        if (::inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1 ||
            ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RouterSimTelnet() {
        if (m_fd >= 0) ::close(m_fd);
    }
    RouterSimTelnet(const RouterSimTelnet&) = delete;
    RouterSimTelnet& operator=(const RouterSimTelnet&) = delete;

    // Waits for the password request, types the password and waits for "<prompt>> ".
    bool Login(const std::string& password, const std::string& prompt) {
        if (m_fd < 0 || !ReadUntilEnd("Password: ")) return false;
        m_buffer.clear();
        return Send(password + "\r") && ReadUntilEnd(prompt + "> ");
    }

    // Types `command`, waits for its echo, ends it with CR and captures its output.
    std::optional<std::string> Run(const std::string& command, const std::string& prompt) {
        m_buffer.clear();
        if (!Send(command) || !ReadAtLeast(command.size())) return std::nullopt;
        m_buffer.clear();
        if (!Send("\r") || !ReadUntilEnd(prompt + "> ")) return std::nullopt;
        return m_buffer + "\n\r";
    }

private:
    bool Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    template <typename Done>
    bool ReadWhile(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
            char chunk[4096];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0) return false;
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
        return true;
    }

    bool ReadUntilEnd(const std::string& suffix) {
        return ReadWhile([&] {
            return m_buffer.size() >= suffix.size() &&
                   m_buffer.compare(m_buffer.size() - suffix.size(), suffix.size(), suffix) == 0;
        });
    }
    bool ReadAtLeast(std::size_t count) {
        return ReadWhile([&] { return m_buffer.size() >= count; });
    }

    int m_fd = -1;
    std::string m_buffer;
};

// An emulator config file in a fresh temporary folder, removed again with the object.
class TempConfigFile {
public:
    explicit TempConfigFile(const std::string& text) {
        char dirTemplate[] = "/tmp/dezadav-settings-test-XXXXXX";
        if (::mkdtemp(dirTemplate) == nullptr) return;
        m_dir = dirTemplate;
        std::ofstream(m_dir / "routers.conf", std::ios::binary) << text;
    }
    ~TempConfigFile() {
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }
    TempConfigFile(const TempConfigFile&) = delete;
    TempConfigFile& operator=(const TempConfigFile&) = delete;

    std::string Path() const { return (m_dir / "routers.conf").string(); }

private:
    std::filesystem::path m_dir;
};

}  // namespace dezadav::testing
