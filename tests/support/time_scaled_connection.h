#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "session/chunk_transport.h"
#include "session/clock.h"

namespace dezadav::testing {

// A clock on which time runs `factor` times faster than real time.
class FastClock : public Clock {
public:
    explicit FastClock(int64_t factor) : m_factor(factor), m_start(std::chrono::steady_clock::now()) {}
    int64_t NowMs() const override {
        const auto real = std::chrono::steady_clock::now() - m_start;
        return std::chrono::duration_cast<std::chrono::microseconds>(real).count() * m_factor / 1000;
    }
    int64_t Factor() const { return m_factor; }

private:
    int64_t m_factor;
    std::chrono::steady_clock::time_point m_start;
};

// Passes everything to a real connection but sleeps in its event loop only 1/factor of each wait,
// so that together with a FastClock every time-out of the dialogue passes `factor` times faster.
// A test of a silent router then takes a fraction of a second instead of the dialogue's seconds.
class TimeScaledConnection : public RouterConnection {
public:
    TimeScaledConnection(RouterConnection& inner, const FastClock& clock) : m_inner(inner), m_clock(clock) {}

    bool Create() override { return m_inner.Create(); }
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override {
        return m_inner.Connect(ip, port, timeoutMs);
    }
    void Close() override { m_inner.Close(); }
    void Send(std::string_view bytes) override { m_inner.Send(bytes); }
    ChunkQueue& Queue() override { return m_inner.Queue(); }
    void PumpEvents(int64_t maxWaitMs) override {
        m_inner.PumpEvents(maxWaitMs <= 0 ? 0 : (maxWaitMs + m_clock.Factor() - 1) / m_clock.Factor());
    }

private:
    RouterConnection& m_inner;
    const FastClock& m_clock;
};

}  // namespace dezadav::testing
