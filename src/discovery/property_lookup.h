#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dezadav {

// Capacities (counting a terminating zero) of the two properties a router announces.
inline constexpr std::size_t kModelNameCapacity = 36;
inline constexpr std::size_t kVersionCapacity = 24;

struct PropertyValue {
    bool found = false;       // a matching entry was reached
    bool outOfRange = false;  // the value had capacity - 1 characters or more
    std::string value;        // at most capacity - 1 characters; empty when not found
};

// Looks `key` up in an answer's property text, a run of "[name=value]" / "[name:value]" entries.
//
// Names are compared upper-cased (letters a-z only) and match when the key occurs anywhere in the
// entry name ("Version" matches "FirmwareVersion"); the first matching entry wins. The value runs
// from the entry's last separator to its "]", so "[Version=1:2]" gives "2". An empty entry "[]" or an
// entry without a separator ends the lookup without a value, even if a later entry would match.
// A value of capacity - 2 characters or fewer is taken whole; a longer one is out of range and cut
// to capacity - 1 characters. `capacity` must be at least 2.
PropertyValue LookupProperty(std::string_view text, std::string_view key, std::size_t capacity);

}  // namespace dezadav
