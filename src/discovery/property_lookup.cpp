#include "discovery/property_lookup.h"

#include <algorithm>
#include <optional>

namespace dezadav {
namespace {

// Only a-z change: the router's texts are ASCII and the comparison must not depend on the locale.
std::string UpperLetters(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool IsSeparator(char c) {
    return c == '=' || c == ':';
}

}  // namespace

PropertyValue LookupProperty(std::string_view text, std::string_view key, std::size_t capacity) {
    const std::string upperText = UpperLetters(text);
    const std::string upperKey = UpperLetters(key);

    PropertyValue result;
    // Entry start is the first position after "["; entry end the last position before "]". For the
    // empty entry "[]" the start lies one past the end.
    std::optional<std::size_t> entryStart;
    std::optional<std::size_t> entryEnd;
    for (std::size_t pos = 0; pos < upperText.size(); ++pos) {
        const char c = upperText[pos];
        if (c == '[' && !entryStart && !entryEnd) {
            entryStart = pos + 1;
        } else if (c == ']' && entryStart && !entryEnd) {
            entryEnd = pos;  // one past the last character of the entry
        }
        if (!entryStart || !entryEnd) continue;

        const std::string_view entry =
            std::string_view(upperText).substr(*entryStart, *entryEnd - *entryStart);
        if (entry.empty()) return result;
        const auto lastSeparator = std::find_if(entry.rbegin(), entry.rend(), IsSeparator);
        if (lastSeparator == entry.rend()) return result;
        const std::size_t separatorPos =
            *entryStart + static_cast<std::size_t>(entry.rend() - lastSeparator) - 1;
        const std::size_t nameLength =
            static_cast<std::size_t>(std::find_if(entry.begin(), entry.end(), IsSeparator) - entry.begin());
        if (entry.substr(0, nameLength).find(upperKey) != std::string_view::npos) {
            std::string_view value = text.substr(separatorPos + 1, *entryEnd - separatorPos - 1);
            result.found = true;
            if (value.size() + 1 >= capacity) {
                result.outOfRange = true;
                value = value.substr(0, capacity - 1);
            }
            result.value.assign(value);
            return result;
        }
        entryStart.reset();
        entryEnd.reset();
    }
    return result;
}

}  // namespace dezadav
