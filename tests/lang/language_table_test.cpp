#include "lang/language_table.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::RecordingMessagePort;

// Builds a language file from lines, each ended with CR LF, as the program's files are written.
std::string FileOf(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

LanguageTable TableOf(const std::string& bytes) {
    LanguageTable table;
    table.LoadFromBytes(bytes);
    return table;
}

TEST(LanguageTableLookup, MatchesKeysIgnoringLetterCaseButNotPrefixes) {
    const LanguageTable table = TableOf(FileOf({"; test.lng", "Codec_codec5\t\t[G.726_32 (32Kpbs)]",
                                                "Index_Loop1\t\t\t[ISDN]", "Index_Loop\t\t\t[(help)]"}));
    EXPECT_EQ(table.LookupText("Codec_Codec5"), "G.726_32 (32Kpbs)");
    EXPECT_EQ(table.LookupText("CODEC_CODEC5"), "G.726_32 (32Kpbs)");
    EXPECT_EQ(table.LookupText("codec_codec5"), "G.726_32 (32Kpbs)");
    // A key that is a prefix of another, or longer than one, is a different key.
    EXPECT_EQ(table.LookupText("Index_Loop"), "(help)");
    EXPECT_EQ(table.LookupText("Index_Loop1"), "ISDN");
    EXPECT_EQ(table.LookupText("Index_Loo"), kMissingText);
    EXPECT_EQ(table.LookupText("Index_Loop12"), kMissingText);
    EXPECT_EQ(table.LookupText(""), kMissingText);
    EXPECT_EQ(table.LookupText("Index_Loop1[ISDN]"), kMissingText);
    EXPECT_EQ(table.LookupText("Index_Lo\xC3\xB6p1"), kMissingText);
}

TEST(LanguageTableLookup, KeepsTheTextExactlyIncludingBlanksAndEmptyTexts) {
    const LanguageTable table =
        TableOf(FileOf({"Index_Group\t\t\t[Index No. ]", "Empty_Text [ ]", "Really_Empty []",
                        "Multi_Byte\t[\xE8\xB7\xAF\xE7\x94\xB1\xE5\x99\xA8 :]"}));
    EXPECT_EQ(table.LookupText("Index_Group"), "Index No. ");
    EXPECT_EQ(table.LookupText("Empty_Text"), " ");
    EXPECT_EQ(table.LookupText("Really_Empty"), "");
    EXPECT_EQ(table.LookupText("Multi_Byte"), "\xE8\xB7\xAF\xE7\x94\xB1\xE5\x99\xA8 :");
}

TEST(LanguageTableLookup, FirstEntryOfARepeatedKeyWins) {
    const LanguageTable table = TableOf(FileOf({"Button_OK [OK]", "BUTTON_ok [Okay]", "Button_OK [Fine]"}));
    EXPECT_EQ(table.LookupText("Button_OK"), "OK");
    EXPECT_EQ(table.Entries().size(), 3u);
}

TEST(LanguageFileParsing, TextRunsFromTheLastOpeningBracketToTheFirstClosingOneAfterIt) {
    const LanguageTable table = TableOf(FileOf({
        "Message_SetPassword1\t[The length of Password should be under 24!]]",
        "Two_Brackets [first] [second]",
        "Inner_Close [a]b]",
        "Open_Inside [a[b]",
        "No_Close_After_Last [a] [b",
    }));
    EXPECT_EQ(table.LookupText("Message_SetPassword1"), "The length of Password should be under 24!");
    EXPECT_EQ(table.LookupText("Two_Brackets"), "second");
    EXPECT_EQ(table.LookupText("Inner_Close"), "a");
    EXPECT_EQ(table.LookupText("Open_Inside"), "b");
    EXPECT_EQ(table.LookupText("No_Close_After_Last"), kMissingText);
}

TEST(LanguageFileParsing, EntriesHoldTheKeyFollowedByTheBracketedPart) {
    const LanguageTable table = TableOf(FileOf({"  \t Index_Loop1\t\t\t[ISDN]]  trailing", "Ab [x]"}));
    ASSERT_EQ(table.Entries().size(), 2u);
    EXPECT_EQ(table.Entries()[0], "Index_Loop1[ISDN]");
    EXPECT_EQ(table.Entries()[1], "Ab[x]");
}

TEST(LanguageFileParsing, IgnoresShortKeysCommentsAndLinesWithoutBrackets) {
    const LanguageTable table = TableOf(FileOf({
        "; english.lng",
        "",
        "X [one-byte key]",
        "; [a lone semicolon is too short to be a key]",
        "No_Brackets here",
        "Only_Close ]",
        "\x01"
        "Control_Start [a control byte is not a key byte]",
        "Kept [yes]",
    }));
    ASSERT_EQ(table.Entries().size(), 1u);
    EXPECT_EQ(table.LookupText("Kept"), "yes");
    EXPECT_EQ(table.LookupText("X"), kMissingText);
    EXPECT_EQ(table.LookupText(";"), kMissingText);
    EXPECT_EQ(table.LookupText("Control_Start"), kMissingText);
}

TEST(LanguageFileParsing, KeyEndsAtTheFirstByteOutsidePrintableAscii) {
    // The key stops at the blank, tab or any byte outside 0x21..0x7E; a key written straight
    // against its bracket keeps the bracket in its key part, and the lookup key is what stands
    // before the first "[".
    const LanguageTable table =
        TableOf(FileOf({"Tab_Key\t[tab]", "Glued_Key[glued]", "Odd_Key\xA0[nbsp]", "Semi;Colon [in key]"}));
    EXPECT_EQ(table.LookupText("Tab_Key"), "tab");
    EXPECT_EQ(table.LookupText("Glued_Key"), "glued");
    EXPECT_EQ(table.LookupText("Odd_Key"), "nbsp");
    EXPECT_EQ(table.LookupText("Semi;Colon"), "in key");
}

TEST(LanguageFileParsing, EndMarkerStopsReadingAnywhereItStands) {
    const LanguageTable table =
        TableOf(FileOf({"Before_End [read]", "Cut_Text [a;END b]", "After_End [never]",
                        ";END  <- Don't modify this", "Late_Key [never]"}));
    EXPECT_EQ(table.LookupText("Before_End"), "read");
    EXPECT_EQ(table.LookupText("Cut_Text"), kMissingText);
    EXPECT_EQ(table.LookupText("After_End"), kMissingText);
    EXPECT_EQ(table.LookupText("Late_Key"), kMissingText);
    EXPECT_EQ(table.Entries().size(), 1u);
}

TEST(LanguageFileParsing, FileWithoutEndMarkerIsReadToItsLastByte) {
    const LanguageTable table = TableOf("First_Key [1]\r\nLast_Key [2]");
    EXPECT_EQ(table.LookupText("First_Key"), "1");
    EXPECT_EQ(table.LookupText("Last_Key"), "2");
}

TEST(LanguageFileParsing, OnlyCarriageReturnLineFeedSeparatesLines) {
    // A bare line feed does not end a line: the two halves form one line whose key is the first
    // word and whose text is the last bracket of the whole line.
    const LanguageTable table = TableOf("Lf_First [1]\nLf_Second [2]\r\nCr_Only [3]\rCr_Next [4]\r\n");
    EXPECT_EQ(table.LookupText("Lf_First"), "2");
    EXPECT_EQ(table.LookupText("Lf_Second"), kMissingText);
    EXPECT_EQ(table.LookupText("Cr_Only"), "4");
    EXPECT_EQ(table.Entries().size(), 2u);
}

TEST(LanguageFileParsing, LongLinesAreTakenWhole) {
    const std::string longText(1500, 'x');
    const std::string longKey = "Long_" + std::string(600, 'K');
    const LanguageTable table =
        TableOf(FileOf({"Long_Text [" + longText + "]", longKey + " [key]", "After_Long [still read]"}));
    EXPECT_EQ(table.LookupText("Long_Text"), longText);
    EXPECT_EQ(table.LookupText(longKey), "key");
    EXPECT_EQ(table.LookupText("After_Long"), "still read");
}

TEST(LanguageFileParsing, LoadingAgainReplacesTheTable) {
    LanguageTable table;
    table.LoadFromBytes(FileOf({"Only_First [1]"}));
    table.LoadFromBytes(FileOf({"Only_Second [2]"}));
    EXPECT_EQ(table.LookupText("Only_First"), kMissingText);
    EXPECT_EQ(table.LookupText("Only_Second"), "2");
    table.LoadFromBytes("");
    EXPECT_TRUE(table.Entries().empty());
}

// A source of three small files that counts how often each language number was asked for.
struct FakeFiles {
    std::map<int, std::string> files;
    std::map<int, int> asked;

    LanguageSource Source() {
        return [this](int n) -> std::optional<std::string> {
            ++asked[n];
            const auto it = files.find(n);
            if (it == files.end()) return std::nullopt;
            return it->second;
        };
    }
};

TEST(LanguageTableLoad, SwitchingLanguageReplacesEveryText) {
    FakeFiles fake;
    fake.files[0] = FileOf({"; english.lng", "Index_Loop3 [None]", "English_Only [E]", ";END"});
    fake.files[1] = FileOf({"; chinese_simplified.lng", "Index_Loop3 [\xE6\x97\xA0]", ";END"});
    LanguageTable table(fake.Source());
    RecordingMessagePort port;

    table.LoadLanguage(1, &port);
    EXPECT_EQ(table.CurrentLanguage(), 1);
    EXPECT_EQ(table.LookupText("Index_Loop3"), "\xE6\x97\xA0");
    EXPECT_EQ(table.LookupText("English_Only"), kMissingText);

    table.LoadLanguage(0, &port);
    EXPECT_EQ(table.CurrentLanguage(), 0);
    EXPECT_EQ(table.LookupText("Index_Loop3"), "None");
    EXPECT_EQ(table.LookupText("English_Only"), "E");
    EXPECT_TRUE(port.shown.empty());
}

TEST(LanguageTableLoad, NumbersOutsideTheThreeLanguagesReuseTheFileFoundLast) {
    FakeFiles fake;
    fake.files[0] = FileOf({"Which [English]"});
    fake.files[2] = FileOf({"Which [Traditional]"});
    LanguageTable table(fake.Source());
    RecordingMessagePort port;

    table.LoadLanguage(2, &port);
    table.LoadLanguage(100, &port);
    EXPECT_EQ(table.CurrentLanguage(), 100);
    EXPECT_EQ(table.LookupText("Which"), "Traditional");
    table.LoadLanguage(-1, &port);
    EXPECT_EQ(table.LookupText("Which"), "Traditional");
    EXPECT_EQ(fake.asked[100], 0);
    EXPECT_EQ(fake.asked[-1], 0);
    EXPECT_TRUE(port.shown.empty());
}

TEST(LanguageTableLoad, MissingFileShowsOnePlainMessageAndLeavesTheTableEmpty) {
    FakeFiles fake;
    fake.files[0] = FileOf({"Index_Loop3 [None]"});
    LanguageTable table(fake.Source());
    RecordingMessagePort port;

    table.LoadLanguage(0, &port);
    table.LoadLanguage(1, &port);
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].text, "Can't find language resource!");
    EXPECT_EQ(port.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(table.CurrentLanguage(), 1);
    EXPECT_TRUE(table.Entries().empty());
    EXPECT_EQ(table.LookupText("Index_Loop3"), kMissingText);

    // The failed search is what "found last" now means: an out-of-range number finds nothing either.
    table.LoadLanguage(7, &port);
    EXPECT_EQ(port.shown.size(), 2u);
    EXPECT_TRUE(table.Entries().empty());

    // Without a source at all the table behaves as with a missing file.
    LanguageTable bare;
    bare.LoadLanguage(0, &port);
    EXPECT_EQ(port.shown.size(), 3u);
    EXPECT_EQ(bare.LookupText("Index_Loop3"), kMissingText);
}

TEST(LocalizedMessage, ShowsLookedUpTextsWithTheExclamationIcon) {
    const LanguageTable table =
        TableOf(FileOf({"Message_Error [Fehler]", "Message_Login [Anmeldung fehlgeschlagen]"}));
    RecordingMessagePort port;
    table.ShowLocalizedMessage(port, "Message_Error", "Message_Login", "Error", "Failed to login router!");
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, "Fehler");
    EXPECT_EQ(port.shown[0].text, "Anmeldung fehlgeschlagen");
    EXPECT_EQ(port.shown[0].icon, MessageIcon::Exclamation);
}

TEST(LocalizedMessage, FallsBackToTheDefaultsForEmptyOrMissingTexts) {
    const LanguageTable table =
        TableOf(FileOf({"Message_Warn []", "Message_Error [Error!]", "Message_Empty []"}));
    RecordingMessagePort port;

    // Empty caption and empty text: both defaults, the text with the stop icon.
    table.ShowLocalizedMessage(port, "Message_Warn", "Message_Empty", "Warning",
                               "Phone number and domain name cannot be blank!");
    // Missing caption key and missing text key: never "####" in front of the user.
    table.ShowLocalizedMessage(port, "Message_Nothing", "Message_DelDialPlan", "Error",
                               "Failed to Del DialPlan data on router!");
    // Found caption, missing text.
    table.ShowLocalizedMessage(port, "Message_Error", "Message_Nothing", "Error", "Default text");

    ASSERT_EQ(port.shown.size(), 3u);
    EXPECT_EQ(port.shown[0].caption, "Warning");
    EXPECT_EQ(port.shown[0].text, "Phone number and domain name cannot be blank!");
    EXPECT_EQ(port.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(port.shown[1].caption, "Error");
    EXPECT_EQ(port.shown[1].text, "Failed to Del DialPlan data on router!");
    EXPECT_EQ(port.shown[1].icon, MessageIcon::Stop);
    EXPECT_EQ(port.shown[2].caption, "Error!");
    EXPECT_EQ(port.shown[2].text, "Default text");
    EXPECT_EQ(port.shown[2].icon, MessageIcon::Stop);

    // An empty table (no language file found) gives the defaults too.
    const LanguageTable empty;
    empty.ShowLocalizedMessage(port, "Message_Error", "Message_Login", "Error", "Failed to login router!");
    ASSERT_EQ(port.shown.size(), 4u);
    EXPECT_EQ(port.shown[3].caption, "Error");
    EXPECT_EQ(port.shown[3].text, "Failed to login router!");
}

}  // namespace
}  // namespace dezadav
