#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "session/chunk_transport.h"
#include "session/clock.h"
#include "session/router_ports.h"
#include "session/session_observer.h"

namespace dezadav {

// Fixed values of the router's command-line dialogue.
inline constexpr int64_t kConnectPumpMs = 500;          // pumped by the callers right after connecting
inline constexpr int64_t kLoginPumpMs = 1000;           // pumped at the start of Login, before the greeting
inline constexpr int64_t kLoginTimeoutMs = 2000;        // passed to Login by every caller
inline constexpr int64_t kEchoTimeoutMs = 2000;         // each echoed byte, the prompt after the opening CR
inline constexpr int64_t kOutputChunkTimeoutMs = 3000;  // each output chunk of GetCommandOutput
inline constexpr int64_t kReplyTimeoutMs = 5000;        // each chunk after the password / a set command
// A connection not made within this time is given up. Left to itself the system keeps retrying a
// silent peer for minutes; this is about where other desktop systems give up.
inline constexpr int64_t kConnectTimeoutMs = 21000;
// The login and each command (the empty line, its echo, its output up to the prompt) must be done
// within this time, however the router spreads its bytes: every other wait is per chunk, and a
// router trickling one byte per wait would otherwise hold a command for hours. A router answers in
// milliseconds, so only a broken one meets this limit.
inline constexpr int64_t kStepDeadlineMs = 30000;
// An output is held whole up to this many bytes, its line-feed/carriage-return tail included; a
// command whose output would grow beyond it fails instead of handing over a cut text. The same cap
// bounds what the dialogue reads while it looks for the prompt after a password or a set command.
inline constexpr std::size_t kMaxOutputBytes = 64 * 1024;

// How Login ended. Callers treat every value but LoginOk alike.
enum class LoginResult : int {
    LoginOk = 0,             // the password was answered with a chunk ending in the prompt
    LoginNoPrompt = 1,       // a greeting came but held no "Password:" after its first byte
    LoginTimeout = 2,        // no greeting, or a password byte or the CR went unanswered in time
    LoginRejected = 3,       // the answer to the CR had 'P' as its third byte (asked again)
    LoginNoShellPrompt = 4,  // after the password, 5000 ms of silence without the prompt
};

// Why the last GetCommandOutput or SendSetCommand failed (for diagnostics; callers only need false).
enum class CommandError {
    None,
    NoAnswer,       // a wait ran out: missing prompt, missing echo, silent router
    TooSlow,        // the command was not done within kStepDeadlineMs
    NotAPrompt,     // what answered the empty line did not end in "> " before a wait ran out
    OutputTooLong,  // the output (or a reply) would exceed kMaxOutputBytes
};

// Dispatches events for at least `ms` milliseconds, sleeping in the event loop between them. Looks
// at the event queue at least once, even for ms <= 0.
void PumpMessagesFor(EventPump& pump, const Clock& clock, int64_t ms);

// True when `received` ends in the prompt: '>' then a space as its last two bytes. The dialogue
// tests everything received since it sent the line it waits on, so a prompt counts however the
// network cut it into chunks.
bool EndsInPrompt(std::string_view received);

// The client side of the router's command line: log in by answering the password prompt, then type
// commands byte by byte in lock-step with the router's echo. Every wait pumps the transport's events
// and is measured against `clock`, stretched by the time scale. The dialogue keeps no phase of its
// own; the order of calls makes the phases (greeting, password, command line).
class TelnetDialogue {
public:
    TelnetDialogue(ChunkTransport& transport, const Clock& clock);

    // Every wait (pauses, time-outs, the deadline of a step) is `scale` times as long from now on;
    // at 1 the times are exactly the constants above. Values below 1 count as 1.
    void SetTimeScale(double scale);
    // `ms` stretched by the time scale.
    int64_t Scaled(int64_t ms) const;
    // Told of every chunk taken and every line typed from now on; nullptr for none.
    void SetObserver(SessionObserver* observer) { m_observer = observer; }

    // Waits up to `timeoutMs` (as given, not scaled; cut short by the deadline of a login or command
    // under way) for a chunk and takes it from the head of the queue. A chunk queued by the very
    // event dispatched when the time ran out is still taken. On false `chunk` is empty.
    bool WaitForChunk(ReceivedChunk& chunk, int64_t timeoutMs);

    // The whole login must end within kStepDeadlineMs. Pumps 1000 ms, drains the queue (chunks left over from
    // an earlier connection included) and examines only the last chunk for "Password:" (at offset 1 or later,
    // up to its first NUL byte), types the password one byte per answered chunk, then a CR, and reads until
    // the answer ends in the shell prompt. The password never leaves this function except as the typed bytes.
    LoginResult Login(std::string_view password, int64_t timeoutMs);

    // Runs one command and hands over its output in the captured form: everything after the echoed
    // line break up to and including the chunk with which it ends in the prompt, then LF, CR. The output is
    // held whole (NUL bytes included) up to kMaxOutputBytes. On failure `output` is left empty.
    bool GetCommandOutput(std::string& output, std::string_view command);

    // Runs one command whose output is not wanted; true once the answer ends in the prompt. With
    // `reply`, what the router printed in answer (everything after the echoed line break, the prompt
    // included) is handed over there; it is emptied first.
    bool SendSetCommand(std::string_view command, std::string* reply = nullptr);

    CommandError LastError() const { return m_lastError; }

private:
    // Takes replies, each within `timeoutMs` (scaled), and adds them to `received` until it ends in
    // the prompt. False when a wait ran out (with its error) or `received` would pass `capBytes`.
    bool ReadToPrompt(std::string& received, int64_t timeoutMs, std::size_t capBytes);
    // Steps shared by both command kinds: the empty line answered by the prompt, the command typed
    // byte by byte, the closing CR and the skip of a separately echoed line break. On true `chunk`
    // holds the first chunk after the echoed line break.
    bool TypeCommand(std::string_view command, int64_t afterCrTimeoutMs, ReceivedChunk& chunk);
    // Types `line` byte by byte, each byte answered by its echo, then the closing CR; tells the
    // observer. False (after telling it) when an echo did not come in time.
    bool TypeLine(std::string_view line, bool isPassword, int64_t echoTimeoutMs);
    // A wait of the dialogue (scaled `timeoutMs`) that hands what it took to the observer.
    bool TakeReply(ReceivedChunk& chunk, int64_t timeoutMs);
    bool Fail(CommandError error);
    // The error of a wait that ran out: the deadline's when it is what ran out.
    CommandError WaitError() const;
    // Sets the deadline of a login or command for as long as it lives.
    class StepDeadline {
    public:
        explicit StepDeadline(TelnetDialogue& dialogue);
        ~StepDeadline();
        StepDeadline(const StepDeadline&) = delete;
        StepDeadline& operator=(const StepDeadline&) = delete;

    private:
        TelnetDialogue& m_dialogue;
    };

    ChunkTransport& m_transport;
    const Clock& m_clock;
    SessionObserver* m_observer = nullptr;
    double m_timeScale = 1.0;
    static constexpr int64_t kNoDeadline = INT64_MAX;
    int64_t m_deadline = kNoDeadline;  // clock time by which the current step must be done
    CommandError m_lastError = CommandError::None;
};

}  // namespace dezadav
