#include "text/decimal_text.h"

#include <limits>

namespace dezadav {

DigitRun ReadDigitRun(std::string_view text) {
    constexpr std::int64_t kPastInt32 =
        static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    DigitRun run;
    for (; run.length < text.size() && text[run.length] >= '0' && text[run.length] <= '9'; ++run.length) {
        if (run.value <= kPastInt32) run.value = run.value * 10 + (text[run.length] - '0');
    }
    return run;
}

std::int32_t ReadLeadingDecimal(std::string_view text) {
    const bool hasSign = !text.empty() && (text.front() == '+' || text.front() == '-');
    const bool negative = hasSign && text.front() == '-';
    const std::int64_t magnitude = ReadDigitRun(text.substr(hasSign ? 1 : 0)).value;
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (negative) return static_cast<std::int32_t>(-magnitude < kMin ? kMin : -magnitude);
    return static_cast<std::int32_t>(magnitude > kMax ? kMax : magnitude);
}

}  // namespace dezadav
