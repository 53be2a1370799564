#include "settings/sip_codec_output_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dezadav {
namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    CutOutputIntoWords(text, [&](const std::string& w) {
        words.push_back(w);
        return WordAction::Continue;
    });
    return words;
}

using W = std::vector<std::string>;

TEST(CutOutputIntoWordsTest, SpacesAndCarriageReturnsEndWords) {
    EXPECT_EQ(Words("a b "), (W{"a", "b"}));
    EXPECT_EQ(Words("a    b "), (W{"a", "b"}));
    EXPECT_EQ(Words("ab"), W{});  // unterminated last word is not taken
    EXPECT_EQ(Words("a\rb\r"), (W{"a", "b"}));
    EXPECT_EQ(Words(" a "), (W{"", "a"}));  // a space at the very start ends an empty word
    EXPECT_EQ(Words(""), W{});
}

TEST(CutOutputIntoWordsTest, LinesEndAtLineFeedCarriageReturn) {
    // LF is removed from words; the byte after the line's CR is looked at once more.
    EXPECT_EQ(Words("a  b\n\r c"), (W{"a", "b", "", ""}));
    EXPECT_EQ(Words("x\n\ry\n\r"), (W{"x", "y"}));
    EXPECT_EQ(Words("a\r\nb c"), (W{"a", "b"}));
    EXPECT_EQ(Words("a\tb\x01 "), (W{"a\tb\x01"}));
}

TEST(CutOutputIntoWordsTest, SkippingTheRestOfALineResumesAtTheNextLine) {
    std::vector<std::string> words;
    CutOutputIntoWords("k1 v1 k2 v2\n\rk3 v3 \n\r", [&](const std::string& w) {
        words.push_back(w);
        return w.starts_with("v") ? WordAction::SkipRestOfLine : WordAction::Continue;
    });
    EXPECT_EQ(words, (W{"k1", "v1", "k3", "v3"}));
}

}  // namespace
}  // namespace dezadav
