#include "tty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "router_commands.h"
#include "posix_io.h"
#include "telnet_connection.h"

namespace dezadav::routersim {
namespace {



// Puts a terminal on standard input in raw mode for as long as it lives and gives it back its modes
// afterwards: no echo, no line editing, no translation of line ends in either direction.
class RawTerminal {
public:
    RawTerminal() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0) return;
        termios raw = m_saved;
        cfmakeraw(&raw);
        m_raw = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal() {
        if (m_raw) tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    termios m_saved{};
    bool m_raw = false;
};

// Replays the state file's command lines; false (with the line) when one is refused.
bool ReplayState(const std::string& stateFile, RouterState& state, std::string* error) {
    std::ifstream in(stateFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (RunRouterCommand(state, line).output.find("Error:") != std::string::npos) {
            *error = stateFile + ": refused: " + line;
            return false;
        }
    }
    return true;
}

}  // namespace

int RunTtySession(const SimOptions& options) {
    EmulatedRouter router;
    std::string error;
    if (!router.Init(options.routers.front(), &error) ||
        (!options.stateFile.empty() && !ReplayState(options.stateFile, router.state, &error))) {
        std::fprintf(stderr, "dezadav-routersim: %s\n", error.c_str());
        return 1;
    }
    // The sink runs before the command does: a copy tells whether it will change the settings.
    auto journal = [&options](const EmulatedRouter& r, const std::string& line) {
        if (options.stateFile.empty()) return;
        RouterState copy = r.state;
        if (!RunRouterCommand(copy, line).changed) return;
        // The journal holds passwords as typed: readable by its owner alone.
        const int fd = open(options.stateFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return;
        WriteAll(fd, line + '\n');
        close(fd);
    };

    const RawTerminal terminal;
    TelnetConnection session(router, journal, NowMs());
    for (;;) {
        auto& out = session.Outgoing();
        // Each chunk with a write of its own, as the router sends it; the terminal may still join them.
        while (!out.empty() && out.front().dueMs <= NowMs()) {
            const OutChunk chunk = std::move(out.front());
            out.pop_front();
            if (!chunk.bytes.empty() && !WriteAll(STDOUT_FILENO, chunk.bytes)) return 0;
            if (chunk.closeAfter) return 0;
        }
        const int timeout =
            out.empty() ? -1 : static_cast<int>(std::max<int64_t>(0, out.front().dueMs - NowMs()));
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, timeout);
        if (ready < 0 && errno != EINTR) return 1;
        if (ready <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return 0;  // the client went away (end of input, or the terminal hung up)
        session.Receive(buffer, static_cast<size_t>(n), NowMs());
    }
}

}  // namespace dezadav::routersim
