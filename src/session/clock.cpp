#include "session/clock.h"

#include <chrono>

namespace dezadav {

int64_t SteadyClock::NowMs() const {
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - origin).count();
}

}  // namespace dezadav
