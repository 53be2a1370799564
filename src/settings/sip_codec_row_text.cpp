#include "settings/sip_codec_row_text.h"

#include <limits>

namespace dezadav {

std::int32_t ReadLeadingDecimal(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so that any number of
    // digits saturates instead of overflowing.
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value <= kLimit) value = value * 10 + (text[pos] - '0');
    }
    if (negative) {
        value = -value;
        return value < std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::min()
                                                                : static_cast<std::int32_t>(value);
    }
    return value > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                            : static_cast<std::int32_t>(value);
}

std::string JoinRowFields(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) row += ',';
        row += fields[i];
    }
    row += "\r\n";
    return row;
}

}  // namespace dezadav
