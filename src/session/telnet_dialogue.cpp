#include "session/telnet_dialogue.h"

#include <algorithm>

namespace dezadav {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr std::string_view kPasswordPrompt = "Password:";
// The captured output ends with the router's own line-end order, line feed then carriage return.
constexpr std::string_view kCaptureTail = "\n\r";
// A chunk of at most this many bytes right after the command's CR is the echoed line break alone.
constexpr std::size_t kEchoedLineBreakBytes = 2;

}  // namespace

void PumpMessagesFor(EventPump& pump, const Clock& clock, int64_t ms) {
    const int64_t start = clock.NowMs();
    do {
        pump.PumpEvents(ms - (clock.NowMs() - start));
    } while (clock.NowMs() - start < ms);
}

bool IsPromptChunk(std::string_view chunk) {
    return chunk.size() >= 2 && chunk.substr(chunk.size() - 2) == "> ";
}

TelnetDialogue::TelnetDialogue(ChunkTransport& transport, const Clock& clock)
    : m_transport(transport), m_clock(clock) {}

bool TelnetDialogue::WaitForChunk(ReceivedChunk& chunk, int64_t timeoutMs) {
    chunk.data.clear();
    ChunkQueue& queue = m_transport.Queue();
    const int64_t start = m_clock.NowMs();
    for (;;) {
        // With a chunk already queued there is nothing to sleep for: only dispatch what is pending.
        const int64_t remaining = timeoutMs - (m_clock.NowMs() - start);
        m_transport.PumpEvents(queue.DataAvailable() ? 0 : remaining);
        const bool inTime = m_clock.NowMs() - start < timeoutMs;
        // The flag is tested after the clock, so a chunk queued by the last dispatch still counts.
        if (queue.DataAvailable()) return queue.TakeFront(chunk);
        if (!inTime) return false;
    }
}

LoginResult TelnetDialogue::Login(std::string_view password, int64_t timeoutMs) {
    PumpMessagesFor(m_transport, m_clock, kLoginPumpMs);

    ReceivedChunk chunk;
    if (!WaitForChunk(chunk, timeoutMs)) return LoginResult::LoginTimeout;
    // Leftovers of an earlier connection and every earlier part of the greeting are drained; only
    // the last chunk is examined.
    while (m_transport.Queue().DataAvailable()) {
        if (!WaitForChunk(chunk, timeoutMs)) return LoginResult::LoginTimeout;
    }
    // The greeting is examined as text, which ends at its first NUL byte.
    const std::string_view greeting(chunk.data.c_str());
    if (greeting.find(kPasswordPrompt, 1) == std::string_view::npos) return LoginResult::LoginNoPrompt;

    for (const char byte : password) {
        m_transport.Send(std::string_view(&byte, 1));
        if (!WaitForChunk(chunk, timeoutMs)) return LoginResult::LoginTimeout;
    }
    m_transport.Send(std::string_view(&kCarriageReturn, 1));
    if (!WaitForChunk(chunk, timeoutMs)) return LoginResult::LoginTimeout;

    // A router that refuses the password answers with a line break and "Password:" again. A shorter
    // answer has no third byte and cannot be that.
    if (chunk.data.size() > 2 && chunk.data[2] == 'P') return LoginResult::LoginRejected;

    std::size_t consumed = chunk.data.size();
    while (!IsPromptChunk(chunk.data)) {
        if (!WaitForChunk(chunk, kReplyTimeoutMs)) return LoginResult::LoginNoShellPrompt;
        // A peer that talks endlessly without ever showing the prompt is not a shell.
        consumed += chunk.data.size();
        if (consumed > kMaxOutputBytes) return LoginResult::LoginNoShellPrompt;
    }
    return LoginResult::LoginOk;
}

bool TelnetDialogue::Fail(CommandError error) {
    m_lastError = error;
    return false;
}

bool TelnetDialogue::TypeCommand(std::string_view command, int64_t afterCrTimeoutMs, ReceivedChunk& chunk) {
    m_transport.Send(std::string_view(&kCarriageReturn, 1));
    if (!WaitForChunk(chunk, kEchoTimeoutMs)) return Fail(CommandError::NoAnswer);
    if (!IsPromptChunk(chunk.data)) return Fail(CommandError::NotAPrompt);

    for (const char byte : command) {
        m_transport.Send(std::string_view(&byte, 1));
        if (!WaitForChunk(chunk, kEchoTimeoutMs)) return Fail(CommandError::NoAnswer);
    }

    m_transport.Send(std::string_view(&kCarriageReturn, 1));
    if (!WaitForChunk(chunk, afterCrTimeoutMs)) return Fail(CommandError::NoAnswer);
    if (chunk.data.size() <= kEchoedLineBreakBytes) {
        if (!WaitForChunk(chunk, afterCrTimeoutMs)) return Fail(CommandError::NoAnswer);
    }
    return true;
}

bool TelnetDialogue::GetCommandOutput(std::string& output, std::string_view command) {
    output.clear();
    m_lastError = CommandError::None;
    ReceivedChunk chunk;
    if (!TypeCommand(command, kOutputChunkTimeoutMs, chunk)) return false;

    std::string collected;
    for (;;) {
        if (collected.size() + chunk.data.size() + kCaptureTail.size() > kMaxOutputBytes) {
            return Fail(CommandError::OutputTooLong);
        }
        collected += chunk.data;
        if (IsPromptChunk(chunk.data)) break;
        if (!WaitForChunk(chunk, kOutputChunkTimeoutMs)) return Fail(CommandError::NoAnswer);
    }
    collected += kCaptureTail;
    output = std::move(collected);
    return true;
}

bool TelnetDialogue::SendSetCommand(std::string_view command) {
    m_lastError = CommandError::None;
    ReceivedChunk chunk;
    if (!TypeCommand(command, kReplyTimeoutMs, chunk)) return false;

    std::size_t consumed = chunk.data.size();
    while (!IsPromptChunk(chunk.data)) {
        if (!WaitForChunk(chunk, kReplyTimeoutMs)) return Fail(CommandError::NoAnswer);
        consumed += chunk.data.size();
        if (consumed > kMaxOutputBytes) return Fail(CommandError::OutputTooLong);
    }
    return true;
}

}  // namespace dezadav
