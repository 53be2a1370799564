#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace dezadav {

// One line of a settings-file section cut into its fields.
struct SettingsFileLine {
    std::vector<std::string_view> fields;  // views into the file text, each held whole
    bool firstFieldEndsAtCr = false;       // field 0 was ended by a CR (not by a ',')
};

// Cuts the bytes [start, end) of a settings file (end clamped to the text) into lines and fields:
// a line ends with the LF of its first CR LF pair (the CR belongs to the line) or at `end`; a
// field ends at every ',' and every CR, and the bytes after a line's last separator are no field.
std::vector<SettingsFileLine> SplitSettingsFileLines(std::string_view text, std::size_t start,
                                                     std::size_t end);

}  // namespace dezadav
