#include "settings/call_log_words.h"

#include <algorithm>

namespace dezadav {

std::vector<CallLogLineWords> CutCallLogLines(std::string_view text, std::size_t start, std::size_t end,
                                              bool removeCommas) {
    end = std::min(end, text.size());
    std::vector<CallLogLineWords> lines;
    std::size_t lineStart = start;
    while (lineStart < end) {
        const std::size_t pair = text.substr(0, end).find("\n\r", lineStart);
        std::size_t scanEnd = end;  // exclusive
        std::size_t nextLine = end;
        if (pair != std::string_view::npos) {
            const std::size_t cr = pair + 1;
            scanEnd = std::min(cr + 2, end);
            nextLine = cr + 1;
        }

        CallLogLineWords words;
        std::size_t wordStart = lineStart;
        for (std::size_t i = lineStart; i < scanEnd; ++i) {
            const char c = text[i];
            // The byte before the section counts too: a section that starts with a space right
            // after a non-space ends a word there, as the same bytes would inside a longer text.
            const bool endsWord = c == '\r' || c == '\t' || (c == ' ' && (i == 0 || text[i - 1] != ' '));
            if (!endsWord) continue;
            std::string word;
            word.reserve(i - wordStart);
            for (std::size_t k = wordStart; k < i; ++k) {
                const char b = text[k];
                if (b == ' ' || b == '\n' || (removeCommas && b == ',')) continue;
                word += b;
            }
            words.push_back(std::move(word));
            wordStart = i + 1;
        }
        lines.push_back(std::move(words));
        lineStart = nextLine;
    }
    return lines;
}

}  // namespace dezadav
