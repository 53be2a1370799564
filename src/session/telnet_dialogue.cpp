#include "session/telnet_dialogue.h"

#include <algorithm>
#include <cmath>

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

bool EndsInPrompt(std::string_view received) {
    return received.size() >= 2 && received.substr(received.size() - 2) == "> ";
}

TelnetDialogue::TelnetDialogue(ChunkTransport& transport, const Clock& clock)
    : m_transport(transport), m_clock(clock) {}

void TelnetDialogue::SetTimeScale(double scale) {
    m_timeScale = scale > 1.0 ? scale : 1.0;
}

int64_t TelnetDialogue::Scaled(int64_t ms) const {
    if (m_timeScale == 1.0) return ms;
    return static_cast<int64_t>(std::llround(static_cast<double>(ms) * m_timeScale));
}

TelnetDialogue::StepDeadline::StepDeadline(TelnetDialogue& dialogue) : m_dialogue(dialogue) {
    m_dialogue.m_deadline = m_dialogue.m_clock.NowMs() + m_dialogue.Scaled(kStepDeadlineMs);
}

TelnetDialogue::StepDeadline::~StepDeadline() {
    m_dialogue.m_deadline = kNoDeadline;
}

bool TelnetDialogue::WaitForChunk(ReceivedChunk& chunk, int64_t timeoutMs) {
    chunk.data.clear();
    ChunkQueue& queue = m_transport.Queue();
    const int64_t start = m_clock.NowMs();
    if (m_deadline != kNoDeadline) timeoutMs = std::min(timeoutMs, m_deadline - start);
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

bool TelnetDialogue::TakeReply(ReceivedChunk& chunk, int64_t timeoutMs) {
    if (!WaitForChunk(chunk, Scaled(timeoutMs))) return false;
    if (m_observer != nullptr) m_observer->ChunkReceived(m_clock.NowMs(), chunk.data);
    return true;
}

bool TelnetDialogue::TypeLine(std::string_view line, bool isPassword, int64_t echoTimeoutMs) {
    ReceivedChunk echo;
    for (std::size_t i = 0; i < line.size(); ++i) {
        m_transport.Send(line.substr(i, 1));
        if (!WaitForChunk(echo, Scaled(echoTimeoutMs))) {
            if (m_observer != nullptr)
                m_observer->LineTyped(m_clock.NowMs(), line.substr(0, i + 1), isPassword, false);
            return false;
        }
    }
    m_transport.Send(std::string_view(&kCarriageReturn, 1));
    if (m_observer != nullptr) m_observer->LineTyped(m_clock.NowMs(), line, isPassword, true);
    return true;
}

CommandError TelnetDialogue::WaitError() const {
    return m_deadline != kNoDeadline && m_clock.NowMs() >= m_deadline ? CommandError::TooSlow
                                                                      : CommandError::NoAnswer;
}

LoginResult TelnetDialogue::Login(std::string_view password, int64_t timeoutMs) {
    const StepDeadline deadline(*this);
    PumpMessagesFor(m_transport, m_clock, Scaled(kLoginPumpMs));

    ReceivedChunk chunk;
    if (!TakeReply(chunk, timeoutMs)) return LoginResult::LoginTimeout;
    // Leftovers of an earlier connection and every earlier part of the greeting are drained; only
    // the last chunk is examined.
    while (m_transport.Queue().DataAvailable()) {
        if (!TakeReply(chunk, timeoutMs)) return LoginResult::LoginTimeout;
    }
    // The greeting is examined as text, which ends at its first NUL byte.
    const std::string_view greeting(chunk.data.c_str());
    if (greeting.find(kPasswordPrompt, 1) == std::string_view::npos) return LoginResult::LoginNoPrompt;

    if (!TypeLine(password, true, timeoutMs)) return LoginResult::LoginTimeout;
    if (!TakeReply(chunk, timeoutMs)) return LoginResult::LoginTimeout;

    // A router that refuses the password answers with a line break and "Password:" again. A shorter
    // answer has no third byte and cannot be that.
    if (chunk.data.size() > 2 && chunk.data[2] == 'P') return LoginResult::LoginRejected;

    // A peer that talks endlessly without ever showing the prompt is not a shell either.
    std::string answer = std::move(chunk.data);
    if (!ReadToPrompt(answer, kReplyTimeoutMs, kMaxOutputBytes)) return LoginResult::LoginNoShellPrompt;
    return LoginResult::LoginOk;
}

bool TelnetDialogue::Fail(CommandError error) {
    m_lastError = error;
    return false;
}

bool TelnetDialogue::ReadToPrompt(std::string& received, int64_t timeoutMs, std::size_t capBytes) {
    ReceivedChunk chunk;
    while (!EndsInPrompt(received)) {
        if (!TakeReply(chunk, timeoutMs)) return Fail(WaitError());
        if (received.size() + chunk.data.size() > capBytes) return Fail(CommandError::OutputTooLong);
        received += chunk.data;
    }
    return true;
}

bool TelnetDialogue::TypeCommand(std::string_view command, int64_t afterCrTimeoutMs, ReceivedChunk& chunk) {
    m_transport.Send(std::string_view(&kCarriageReturn, 1));
    if (m_observer != nullptr) m_observer->LineTyped(m_clock.NowMs(), {}, false, true);
    // A terminal line discipline often sends the echoed line break on its own before the prompt.
    std::string answer;
    if (!ReadToPrompt(answer, kEchoTimeoutMs, kMaxOutputBytes)) {
        if (!answer.empty() && m_lastError == CommandError::NoAnswer) return Fail(CommandError::NotAPrompt);
        return false;
    }

    if (!TypeLine(command, false, kEchoTimeoutMs)) return Fail(WaitError());
    if (!TakeReply(chunk, afterCrTimeoutMs)) return Fail(WaitError());
    if (chunk.data.size() <= kEchoedLineBreakBytes) {
        if (!TakeReply(chunk, afterCrTimeoutMs)) return Fail(WaitError());
    }
    return true;
}

bool TelnetDialogue::GetCommandOutput(std::string& output, std::string_view command) {
    output.clear();
    m_lastError = CommandError::None;
    const StepDeadline deadline(*this);
    ReceivedChunk chunk;
    if (!TypeCommand(command, kOutputChunkTimeoutMs, chunk)) return false;

    const std::size_t capBytes = kMaxOutputBytes - kCaptureTail.size();
    if (chunk.data.size() > capBytes) return Fail(CommandError::OutputTooLong);
    std::string collected = std::move(chunk.data);
    if (!ReadToPrompt(collected, kOutputChunkTimeoutMs, capBytes)) return false;
    collected += kCaptureTail;
    output = std::move(collected);
    return true;
}

bool TelnetDialogue::SendSetCommand(std::string_view command, std::string* reply) {
    if (reply != nullptr) reply->clear();
    m_lastError = CommandError::None;
    const StepDeadline deadline(*this);
    ReceivedChunk chunk;
    if (!TypeCommand(command, kReplyTimeoutMs, chunk)) return false;

    std::string answer = std::move(chunk.data);
    if (!ReadToPrompt(answer, kReplyTimeoutMs, kMaxOutputBytes)) return false;
    if (reply != nullptr) *reply = std::move(answer);
    return true;
}

}  // namespace dezadav
