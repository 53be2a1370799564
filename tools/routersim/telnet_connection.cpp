#include "telnet_connection.h"

#include <algorithm>
#include <cstdio>

#include "router_commands.h"

namespace dezadav::routersim {
namespace {

constexpr const char* kEol = "\n\r";
constexpr int kMaxFailedLogins = 3;

// Empty lines and the LF or NUL that some telnet clients send after a carriage return do not make a
// command; a line of spaces is an empty line too.
std::string CommandText(const std::string& line) {
    size_t b = line.find_first_not_of(std::string("\n\0 ", 3));
    if (b == std::string::npos) return {};
    size_t e = line.find_last_not_of(' ');
    return line.substr(b, e - b + 1);
}

std::string Filler(size_t atLeast) {
    std::string out;
    for (int n = 1; out.size() < atLeast; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d", n);
        out += std::string("filler line ") + number + ": 0123456789 abcdefghijklmnopqrstuvwxyz" + kEol;
    }
    return out;
}

}  // namespace

const std::string& GarbageLine() {
    static const char kGarbage[] =
        "\x01\x02\x07\x1b[2J\x7f\x80\x81\xc3\x28\xff\xfb\x01\xff\xfd\x18\xfe\x0b\x0c>\x09\x00#%\xe2\x82";
    static const std::string garbage = std::string(kGarbage, sizeof kGarbage - 1) + kEol;
    return garbage;
}

TelnetConnection::TelnetConnection(EmulatedRouter& router, CommandSink sink, int64_t nowMs)
    : m_router(router), m_sink(std::move(sink)) {
    std::string greeting;
    if (m_router.setup.faults.iacGreeting) {
        // WILL ECHO, WILL SUPPRESS-GO-AHEAD, DO TERMINAL-TYPE
        greeting = "\xff\xfb\x01\xff\xfb\x03\xff\xfd\x18";
    }
    greeting += std::string(kEol) + "Password: ";
    Queue(greeting, nowMs, 0);
}

void TelnetConnection::Receive(const char* data, size_t size, int64_t nowMs) {
    for (size_t i = 0; i < size; ++i) ReceiveByte(data[i], nowMs);
}

void TelnetConnection::ReceiveByte(char c, int64_t nowMs) {
    const int64_t echoDelay = m_router.setup.faults.slowEchoMs;
    switch (m_phase) {
        case Phase::Silent:
        case Phase::Closing:
            return;
        case Phase::Password:
            if (c == '\r') {
                PasswordDone(nowMs);
            } else {
                if (m_password.size() < kMaxLine) m_password += c;
                Queue("*", nowMs, echoDelay);
            }
            return;
        case Phase::Command:
            if (c == '\r') {
                AnswerCommand(nowMs);
            } else {
                if (m_line.size() < kMaxLine) {
                    m_line += c;
                } else {
                    m_lineTooLong = true;
                }
                Queue(std::string(1, c), nowMs, echoDelay);
            }
            return;
    }
}

void TelnetConnection::PasswordDone(int64_t nowMs) {
    const FaultSet& faults = m_router.setup.faults;
    bool right = m_password == m_router.setup.password;
    m_password.assign(m_password.size(), '\0');
    m_password.clear();
    if (!right) {
        ++m_failedLogins;
        bool last = m_failedLogins >= kMaxFailedLogins;
        Queue(std::string(kEol) + "Password: ", nowMs, faults.slowEchoMs, last);
        if (last) m_phase = Phase::Closing;
        return;
    }
    Queue(std::string(kEol) + kEol + m_router.setup.model + " VoIP router, firmware " +
              m_router.setup.version + kEol,
          nowMs, faults.slowEchoMs);
    if (faults.noShellPrompt) {
        m_phase = Phase::Silent;
        return;
    }
    Queue(Prompt(), nowMs, 0);
    m_phase = faults.silentAfterLogin ? Phase::Silent : Phase::Command;
}

void TelnetConnection::AnswerCommand(int64_t nowMs) {
    // Everything a command line brings back trickles with the trickle fault; the login and the echo
    // of typed bytes do not.
    m_trickling = m_router.setup.faults.trickleMs > 0;
    CommandDone(nowMs);
    m_trickling = false;
}

void TelnetConnection::CommandDone(int64_t nowMs) {
    const FaultSet& faults = m_router.setup.faults;
    std::string command = CommandText(m_line);
    bool tooLong = m_lineTooLong;
    m_line.clear();
    m_lineTooLong = false;
    if (command.empty() && !tooLong) {
        Queue(std::string(kEol) + Prompt(), nowMs, faults.slowEchoMs);
        return;
    }
    if (m_sink) m_sink(m_router, command);

    bool silent = FaultSet::Hits(faults.silentIn, command);
    bool drop = FaultSet::Hits(faults.dropIn, command);
    std::string output;
    bool closeAfter = false;
    if (tooLong) {
        output = std::string("Error: line too long") + kEol;
    } else if (silent || drop) {
        // The router stalls while it prints the output: the command is not carried out.
        RouterState copy = m_router.state;
        output = RunRouterCommand(copy, command).output;
    } else if (FaultSet::Hits(faults.errorIn, command)) {
        output = std::string("Error: command failed") + kEol;
    } else {
        CommandResult result = RunRouterCommand(m_router.state, command);
        output = result.output;
        closeAfter = result.closeAfter;
    }
    if (closeAfter) {
        QueueLineBreakAndOutput(std::string("bye") + kEol, nowMs);
        Queue("", nowMs, 0, true);
        m_phase = Phase::Closing;
        return;
    }
    if (silent || drop) {
        QueueLineBreakAndOutput(output.substr(0, output.size() / 2), nowMs);
        if (drop) {
            Queue("", nowMs, 0, true);
            m_phase = Phase::Closing;
        } else {
            m_phase = Phase::Silent;
        }
        return;
    }
    if (FaultSet::Hits(faults.bigOutputIn, command) && output.size() < faults.bigOutputBytes) {
        output += Filler(faults.bigOutputBytes - output.size());
    }
    if (FaultSet::Hits(faults.garbageIn, command)) output += GarbageLine();
    if (output.empty() && !faults.separateLineBreak) {
        // Nothing printed: the line break and the prompt in one chunk.
        Queue(kEol + Prompt(), nowMs, faults.slowEchoMs);
        return;
    }
    QueueLineBreakAndOutput(output, nowMs);
    Queue(Prompt(), nowMs, output.empty() ? kSeparateLineBreakPauseMs : 0);
}

void TelnetConnection::QueueLineBreakAndOutput(const std::string& output, int64_t nowMs) {
    const FaultSet& faults = m_router.setup.faults;
    if (output.empty()) {
        Queue(kEol, nowMs, faults.slowEchoMs);
        return;
    }
    if (faults.separateLineBreak) {
        // The line break alone, and the output after a pause, starting with an empty line so that its
        // first line keeps its place when the pause is not enough to keep the two chunks apart.
        Queue(kEol, nowMs, faults.slowEchoMs);
        QueueOutput(kEol + output, nowMs, faults.slowEchoMs + kSeparateLineBreakPauseMs);
        return;
    }
    // The echoed line break and the start of the output leave in one send, so the client always
    // keeps the line break at the start of what it collects, however the bytes are timed.
    QueueOutput(kEol + output, nowMs, faults.slowEchoMs);
}

void TelnetConnection::QueueOutput(const std::string& output, int64_t nowMs, int64_t firstDelayMs) {
    for (size_t at = 0; at < output.size(); at += kPiece) {
        Queue(output.substr(at, kPiece), nowMs, at == 0 ? firstDelayMs : 0);
    }
}

void TelnetConnection::Queue(std::string bytes, int64_t nowMs, int64_t delayMs, bool closeAfter) {
    int64_t due = std::max(nowMs + delayMs, m_lastDue);
    if (m_trickling && !bytes.empty()) {
        const int64_t step = m_router.setup.faults.trickleMs;
        for (size_t i = 0; i < bytes.size(); ++i) {
            due = std::max(due, m_lastDue + step);
            m_lastDue = due;
            m_out.push_back({bytes.substr(i, 1), due, closeAfter && i + 1 == bytes.size()});
        }
        return;
    }
    m_lastDue = due;
    m_out.push_back({std::move(bytes), due, closeAfter});
}

}  // namespace dezadav::routersim
