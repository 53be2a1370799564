#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "session/chunk_transport.h"
#include "session/clock.h"

namespace dezadav::testing {

// A clock that moves only when the scripted transport lets time pass.
class ManualClock : public Clock {
public:
    int64_t NowMs() const override { return now; }
    int64_t now = 0;
};

// A router connection driven by a script, in simulated time. Chunks are delivered at given instants,
// one per pumped event, exactly as scripted (never merged or split). Pumping with nothing due lets the
// whole allowed wait pass on the clock, so a time-out costs no real time; a test can read how long
// the dialogue waited from the clock.
//
// Reactions to sent bytes come either from the expectation list (Expect: the next send must equal
// the given bytes, and its replies are scheduled) or, when the list is empty, from `onSend`.
class ScriptedTransport : public RouterConnection {
public:
    explicit ScriptedTransport(ManualClock& clock) : m_clock(clock) {}

    // The next Send must carry exactly `sent`; each reply then arrives as its own chunk, the first
    // `delayMs` after the send and the others 0 ms after each other.
    ScriptedTransport& Expect(std::string sent, std::vector<std::string> replies = {}, int64_t delayMs = 1) {
        m_expected.push_back({std::move(sent), std::move(replies), delayMs});
        return *this;
    }

    // Every byte of `text` sent alone and answered by one chunk (the byte itself by default).
    ScriptedTransport& ExpectTyped(const std::string& text, const std::string& echo = "") {
        for (const char byte : text)
            Expect(std::string(1, byte), {echo.empty() ? std::string(1, byte) : echo});
        return *this;
    }

    // A chunk that arrives `atMs` on the clock, whatever is sent.
    void DeliverAt(int64_t atMs, std::string chunk) {
        m_deliveries.push_back({atMs, m_sequence++, std::move(chunk)});
        std::stable_sort(m_deliveries.begin(), m_deliveries.end(),
                         [](const Delivery& a, const Delivery& b) { return a.at < b.at; });
    }
    void DeliverAfter(int64_t delayMs, std::string chunk) {
        DeliverAt(m_clock.now + delayMs, std::move(chunk));
    }
    int64_t Now() const { return m_clock.now; }

    // --- RouterConnection ---
    bool Create() override {
        ++creates;
        return !createFails;
    }
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override {
        connectTimeoutMs = timeoutMs;
        ++connects;
        connectedIp = ip;
        connectedPort = port;
        if (connectFails) return false;
        connected = true;
        if (onConnect) onConnect(*this);
        return true;
    }
    void Close() override {
        ++closes;
        connected = false;
    }
    void Send(std::string_view bytes) override {
        sends.emplace_back(bytes);
        if (!m_expected.empty()) {
            Expectation next = std::move(m_expected.front());
            m_expected.pop_front();
            EXPECT_EQ(next.sent, std::string(bytes)) << "send #" << sends.size();
            for (std::string& reply : next.replies) DeliverAt(m_clock.now + next.delayMs, std::move(reply));
            return;
        }
        if (onSend) {
            onSend(std::string(bytes), *this);
        } else if (strict) {
            ADD_FAILURE() << "unexpected send of " << ::testing::PrintToString(std::string(bytes));
        }
    }
    void PumpEvents(int64_t maxWaitMs) override {
        ++pumps;
        if (pumps > kMaxPumps) {
            // A dialogue that never stops pumping would hang the test: end it by moving time far on.
            ADD_FAILURE() << "the dialogue pumped more than " << kMaxPumps << " times";
            m_clock.now += 1'000'000'000;
            return;
        }
        const int64_t wait = std::max<int64_t>(maxWaitMs, 0);
        longestPumpMs = std::max(longestPumpMs, wait);
        if (!m_deliveries.empty() && m_deliveries.front().at <= m_clock.now + wait) {
            m_clock.now = std::max(m_clock.now, m_deliveries.front().at);
            m_queue.Push(m_deliveries.front().chunk);
            m_deliveries.erase(m_deliveries.begin());
            return;
        }
        m_clock.now += wait;
    }
    ChunkQueue& Queue() override { return m_queue; }

    // --- what happened ---
    std::string SentBytes() const {
        std::string all;
        for (const std::string& s : sends) all += s;
        return all;
    }
    bool AllExpectationsMet() const { return m_expected.empty(); }
    std::size_t PendingDeliveries() const { return m_deliveries.size(); }

    static constexpr int kMaxPumps = 200000;
    std::vector<std::string> sends;  // each Send call's bytes
    int creates = 0, connects = 0, closes = 0, pumps = 0;
    int64_t longestPumpMs = 0;
    std::string connectedIp;
    uint16_t connectedPort = 0;
    int64_t connectTimeoutMs = 0;  // the time-out the last Connect was given
    bool connected = false;
    bool createFails = false;
    bool connectFails = false;
    bool strict = true;
    std::function<void(ScriptedTransport&)> onConnect;
    std::function<void(const std::string&, ScriptedTransport&)> onSend;

private:
    struct Expectation {
        std::string sent;
        std::vector<std::string> replies;
        int64_t delayMs;
    };
    struct Delivery {
        int64_t at;
        int64_t sequence;
        std::string chunk;
    };

    ManualClock& m_clock;
    ChunkQueue m_queue;
    std::deque<Expectation> m_expected;
    std::vector<Delivery> m_deliveries;
    int64_t m_sequence = 0;
};

}  // namespace dezadav::testing
