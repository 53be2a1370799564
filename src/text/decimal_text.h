#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dezadav {

// The run of decimal digits at the start of a text.
struct DigitRun {
    std::size_t length = 0;  // number of digit bytes; 0 when the text does not start with a digit
    // Their value. It stops growing once it is past the 32-bit range, so a run of any length is
    // read without overflow and a huge number never wraps into a small one.
    std::int64_t value = 0;
};

// Reads the digits '0'..'9' at the start of `text` up to the first other byte; no sign, no white
// space.
DigitRun ReadDigitRun(std::string_view text);

// Reads the leading decimal number of `text` as the router outputs and the settings rows are read:
// an optional '+' or '-' directly at the start, then digits; anything after them is ignored. Text
// without digits reads 0. Numbers beyond the 32-bit range saturate at INT32_MIN / INT32_MAX.
std::int32_t ReadLeadingDecimal(std::string_view text);

}  // namespace dezadav
