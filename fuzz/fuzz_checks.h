#pragma once

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav::fuzzing {

// Stops the run, so that the fuzzer records the input, when a property that must hold does not.
inline void Require(bool condition) {
    if (!condition) std::abort();
}

// The fields of a settings-file row: the text between commas, as written (no quoting, no trimming).
inline std::vector<std::string> SplitAtCommas(std::string_view text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace dezadav::fuzzing
