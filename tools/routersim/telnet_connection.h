#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "emulated_router.h"

namespace dezadav::routersim {

// One piece of bytes that the router sends with a single send() call, not before dueMs.
struct OutChunk {
    std::string bytes;
    int64_t dueMs = 0;
    bool closeAfter = false;  // close the connection once this chunk is sent
};

// The router's side of one telnet connection, without the socket: bytes typed by the client go in,
// chunks to send come out, in order and each with the time it is due.
//
// Dialogue: on connect the greeting LF CR "Password: " (IAC bytes first with the iac-greeting fault).
// Every password byte is answered by one "*" chunk. The carriage return after the password gets either
// LF CR "Password: " again (three wrong passwords close the connection) or a banner chunk and then the
// prompt chunk "<prompt>> ". On the command line every typed byte is echoed as its own chunk; the
// carriage return of an empty line is answered by the single chunk LF CR "<prompt>> "; the carriage
// return of a command by the echoed line break LF CR sent together with the start of the command's
// output (the output goes in pieces of at most 1024 bytes), then the chunk "<prompt>> ". A command
// without output (a set command that worked) gets the single chunk LF CR "<prompt>> ". With the
// separate-line-break fault the line break is always a chunk of its own and the output (or the prompt)
// follows 50 ms later, the output starting with an empty line. With the trickle fault everything a
// command line brings back (line break, output, prompt) goes out one byte per chunk, trickleMs apart.
class TelnetConnection {
public:
    // Called with every command line received (not empty lines, never the password), before its
    // answer is queued.
    using CommandSink = std::function<void(const EmulatedRouter&, const std::string& line)>;

    TelnetConnection(EmulatedRouter& router, CommandSink sink, int64_t nowMs);

    void Receive(const char* data, size_t size, int64_t nowMs);
    std::deque<OutChunk>& Outgoing() { return m_out; }

    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kPiece = 1024;
    static constexpr int64_t kSeparateLineBreakPauseMs = 50;

private:
    enum class Phase { Password, Command, Silent, Closing };

    void ReceiveByte(char c, int64_t nowMs);
    void PasswordDone(int64_t nowMs);
    void AnswerCommand(int64_t nowMs);
    void CommandDone(int64_t nowMs);
    // Queues bytes due delayMs from now, never before the chunk queued last.
    void Queue(std::string bytes, int64_t nowMs, int64_t delayMs, bool closeAfter = false);
    void QueueOutput(const std::string& output, int64_t nowMs, int64_t firstDelayMs);
    // Answers the carriage return of a command: the echoed line break, then the output (if any).
    void QueueLineBreakAndOutput(const std::string& output, int64_t nowMs);
    std::string Prompt() const { return m_router.setup.prompt + "> "; }

    EmulatedRouter& m_router;
    CommandSink m_sink;
    Phase m_phase = Phase::Password;
    std::string m_password;
    std::string m_line;
    bool m_lineTooLong = false;
    int m_failedLogins = 0;
    int64_t m_lastDue = 0;
    bool m_trickling = false;  // bytes queued now go out one at a time, trickleMs apart
    std::deque<OutChunk> m_out;
};

// The garbage line the garbage-in fault puts before the prompt: control bytes, IAC sequences, bytes
// that are no UTF-8, a NUL; never "> " and never a line break.
const std::string& GarbageLine();

}  // namespace dezadav::routersim
