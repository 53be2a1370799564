#include "settings/settings_file_fields.h"

#include <algorithm>

namespace dezadav {
namespace {

bool IsSeparator(char c) {
    return c == ',' || c == '\r';
}

// The quoted field that starts at `at` (a '"'), when its closing quote is followed by a separator:
// its content and the position of that separator.
bool ReadQuotedField(std::string_view line, std::size_t at, std::string& content, std::size_t& separator) {
    std::string text;
    for (std::size_t i = at + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            text += line[i];
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '"') {
            text += '"';
            ++i;
            continue;
        }
        if (i + 1 < line.size() && IsSeparator(line[i + 1])) {
            content = std::move(text);
            separator = i + 1;
            return true;
        }
        return false;
    }
    return false;
}

bool OnlyCommas(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return !line.empty() && line.find_first_not_of(',') == std::string_view::npos;
}

}  // namespace

std::vector<SettingsFileLine> SplitSettingsFileLines(std::string_view text, std::size_t start,
                                                     std::size_t end) {
    end = std::min(end, text.size());
    start = std::min(start, end);
    std::vector<SettingsFileLine> lines;
    std::size_t lineNumber = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + start, '\n'));
    std::size_t lineStart = start;
    while (lineStart < end) {
        const std::string_view rest = text.substr(lineStart, end - lineStart);
        const std::size_t pair = rest.find("\r\n");
        const std::string_view line = pair == std::string_view::npos ? rest : rest.substr(0, pair + 2);
        lineStart += line.size();

        SettingsFileLine cut;
        cut.number = lineNumber;
        lineNumber += static_cast<std::size_t>(std::count(line.begin(), line.end(), '\n'));
        if (OnlyCommas(line)) {
            cut.firstFieldEndsAtCr = true;
            cut.fields.emplace_back();
            lines.push_back(std::move(cut));
            continue;
        }
        std::size_t fieldStart = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i == fieldStart && line[i] == '"') {
                std::string content;
                std::size_t separator = 0;
                if (ReadQuotedField(line, i, content, separator)) {
                    if (cut.fields.empty()) cut.firstFieldEndsAtCr = line[separator] == '\r';
                    cut.fields.push_back(std::move(content));
                    fieldStart = separator + 1;
                    i = separator;
                    continue;
                }
            }
            if (!IsSeparator(line[i])) continue;
            if (cut.fields.empty()) cut.firstFieldEndsAtCr = line[i] == '\r';
            cut.fields.emplace_back(line.substr(fieldStart, i - fieldStart));
            fieldStart = i + 1;
        }
        lines.push_back(std::move(cut));
    }
    return lines;
}

std::string SettingsFileField(std::string_view value) {
    if (value.find_first_of(",\"") == std::string_view::npos) return std::string(value);
    std::string field = "\"";
    for (const char c : value) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

bool HoldsLineBreak(std::string_view value) {
    return value.find_first_of("\r\n") != std::string_view::npos;
}

bool IsMarkerLine(std::string_view line, std::string_view marker) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (!line.starts_with(marker)) return false;
    line.remove_prefix(marker.size());
    return line.find_first_not_of(',') == std::string_view::npos;
}

}  // namespace dezadav
