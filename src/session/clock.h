#pragma once

#include <cstdint>

namespace dezadav {

// A monotonic millisecond clock. Every wait of the router dialogue measures its time-outs with one,
// so tests can substitute a clock that advances only when the test says so.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds elapsed since an arbitrary fixed origin; never decreases.
    virtual int64_t NowMs() const = 0;
};

// The real clock (std::chrono::steady_clock); the origin is the first call in the process.
class SteadyClock : public Clock {
public:
    int64_t NowMs() const override;
};

}  // namespace dezadav
