#include "settings/sip_codec_output_words.h"

#include <algorithm>

namespace dezadav {
namespace {

// Position of the CR that ends the line beginning at `lineStart` (an LF directly followed by CR), or
// npos when the line runs to the end of the text.
std::size_t FindLineEnd(std::string_view text, std::size_t lineStart) {
    for (std::size_t i = lineStart; i + 1 < text.size(); ++i) {
        if (text[i] == '\n' && text[i + 1] == '\r') return i + 1;
    }
    return std::string_view::npos;
}

}  // namespace

void CutOutputIntoWords(std::string_view text,
                        const std::function<WordAction(const std::string& word)>& onWord) {
    std::size_t lineStart = 0;
    std::string word;
    while (lineStart < text.size()) {
        const std::size_t lineEnd = FindLineEnd(text, lineStart);
        // The scan includes the byte just after the line's CR: a space there ends one more word.
        const std::size_t scanEnd =
            lineEnd == std::string_view::npos ? text.size() : std::min(lineEnd + 2, text.size());
        std::size_t wordStart = lineStart;
        for (std::size_t p = lineStart; p < scanEnd; ++p) {
            const char c = text[p];
            const bool endsWord = c == '\r' || (c == ' ' && !(p > 0 && text[p - 1] == ' '));
            if (!endsWord) continue;
            word.clear();
            for (std::size_t q = wordStart; q < p; ++q) {
                if (text[q] != ' ' && text[q] != '\n') word += text[q];
            }
            wordStart = p + 1;
            if (onWord(word) == WordAction::SkipRestOfLine) break;
        }
        if (lineEnd == std::string_view::npos) break;
        lineStart = lineEnd + 1;
    }
}

}  // namespace dezadav
