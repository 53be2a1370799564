#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// One line of a settings-file section cut into its fields.
struct SettingsFileLine {
    std::vector<std::string> fields;  // each held whole, a quoted field by its content
    bool firstFieldEndsAtCr = false;  // field 0 was ended by a CR (not by a ',')
    std::size_t number = 0;           // line number in the text, from 1
};

// Cuts the bytes [start, end) of a settings file (end clamped to the text) into lines and fields:
// a line ends with the LF of its first CR LF pair (the CR belongs to the line) or at `end`; a
// field ends at every ',' and every CR, and the bytes after a line's last separator are no field.
// A field that begins with a double quote and whose closing quote is followed by a separator is read
// as a spreadsheet writes it: its content, with "" standing for one quote, commas included. A line
// of nothing but commas (how a spreadsheet pads an empty line) is an empty line.
std::vector<SettingsFileLine> SplitSettingsFileLines(std::string_view text, std::size_t start,
                                                     std::size_t end);

// A field as the settings file holds it: unchanged, unless it holds a comma or a double quote; then in
// double quotes, each quote doubled, so that it reads back whole.
std::string SettingsFileField(std::string_view value);

// The bytes a settings file can never carry inside a value: they would end the line.
bool HoldsLineBreak(std::string_view value);

// True when `line` (its CR LF aside) is `marker` standing alone,
// optionally followed by the commas a spreadsheet pads rows with.
bool IsMarkerLine(std::string_view line, std::string_view marker);

}  // namespace dezadav
