// Plays arbitrary bytes to the router dialogue as a router's chunks: a login, one command's output and
// one set command, whatever the router sends. The input is a run of chunks, each a two-byte length
// (big-endian, taken modulo the chunk size, plus one) and its bytes; one chunk arrives per pass of the
// event loop, and when they run out, time passes until every wait has given up. Checks that nothing
// hangs, that a captured output keeps its promises, and that the dialogue only ever types the
// password, the command and carriage returns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>

#include "session/chunk_transport.h"
#include "session/clock.h"
#include "session/telnet_dialogue.h"

namespace {

class ManualClock : public dezadav::Clock {
public:
    int64_t NowMs() const override { return now; }
    int64_t now = 0;
};

class ChunkPlayer : public dezadav::ChunkTransport {
public:
    ChunkPlayer(ManualClock& clock, std::deque<std::string> chunks) : m_clock(clock), m_chunks(std::move(chunks)) {}

    void Send(std::string_view bytes) override { sent.append(bytes); }
    dezadav::ChunkQueue& Queue() override { return m_queue; }
    void PumpEvents(int64_t maxWaitMs) override {
        // Far more passes than any dialogue over this input can need: a loop that never ends is a hang.
        if (++m_pumps > 10'000'000) std::abort();
        if (!m_chunks.empty()) {
            m_queue.Push(m_chunks.front());
            m_chunks.pop_front();
            m_clock.now += 1;
            return;
        }
        m_clock.now += maxWaitMs > 0 ? maxWaitMs : 1;
    }

    std::string sent;

private:
    ManualClock& m_clock;
    std::deque<std::string> m_chunks;
    dezadav::ChunkQueue m_queue;
    long m_pumps = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::deque<std::string> chunks;
    std::size_t at = 0;
    while (at + 2 <= size) {
        std::size_t length = ((static_cast<std::size_t>(data[at]) << 8) | data[at + 1]) % dezadav::kChunkSize + 1;
        at += 2;
        length = std::min(length, size - at);
        if (length == 0) break;
        chunks.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }

    ManualClock clock;
    ChunkPlayer player(clock, std::move(chunks));
    dezadav::TelnetDialogue dialogue(player, clock);
    const std::string password = "admin";
    const dezadav::LoginResult login = dialogue.Login(password, dezadav::kLoginTimeoutMs);
    // The password goes out byte by byte and then one CR, and nothing else before it.
    if (player.sent.size() > password.size() + 1) std::abort();
    if (player.sent != (password + "\r").substr(0, player.sent.size())) std::abort();
    if (login != dezadav::LoginResult::LoginOk) return 0;

    std::string output;
    const std::string command = "voip sip port";
    const std::size_t before = player.sent.size();
    if (dialogue.GetCommandOutput(output, command)) {
        if (output.size() > dezadav::kMaxOutputBytes) std::abort();
        if (output.size() < 4 || output.substr(output.size() - 2) != "\n\r") std::abort();
        if (output.substr(output.size() - 4, 2) != "> ") std::abort();
    } else if (!output.empty()) {
        std::abort();
    }
    // Typed: the opening CR, then a prefix of the command, then its CR.
    const std::string typed = player.sent.substr(before);
    const std::string full = "\r" + command + "\r";
    if (typed != full.substr(0, typed.size())) std::abort();

    const std::size_t beforeSet = player.sent.size();
    dialogue.SendSetCommand("voip sip port 5060");
    const std::string setTyped = player.sent.substr(beforeSet);
    const std::string setFull = "\rvoip sip port 5060\r";
    if (setTyped != setFull.substr(0, setTyped.size())) std::abort();
    return 0;
}
