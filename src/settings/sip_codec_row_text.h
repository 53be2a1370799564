#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// Reads the leading decimal number of `text` as the router outputs and the settings rows are read:
// an optional '+' or '-' directly at the start, then digits; anything after them is ignored. Text
// without digits reads 0. Numbers beyond the 32-bit range saturate at INT32_MIN / INT32_MAX, so a
// huge number never wraps into a small one.
std::int32_t ReadLeadingDecimal(std::string_view text);

// Joins the fields of one settings row with "," and ends it with CR LF, without quoting: the row text
// of the settings file and of the "differs from the row last applied" comparison.
std::string JoinRowFields(const std::vector<std::string>& fields);

}  // namespace dezadav
