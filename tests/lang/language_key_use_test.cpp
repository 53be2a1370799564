// Every language key the program's code names must be found in each built-in language file, or a
// label would read "####" (or a message would fall back to English) in that language.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "lang/builtin_language_source.h"
#include "lang/language_table.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

// The area prefixes of the keys the English file holds ("Message", "History", ...): every area the
// program's texts come from, so that a new area is scanned as soon as it has a key.
std::set<std::string> AreaPrefixes() {
    std::ifstream in(std::filesystem::path(DEZADAV_SOURCE_DIR) / "res" / "lang" / "english.lng");
    std::set<std::string> prefixes;
    static const std::regex keyLine("^([A-Za-z]+)_[A-Za-z0-9]+\\s");
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, match, keyLine)) prefixes.insert(match[1].str());
    }
    return prefixes;
}

// A key is an area prefix, an underscore and an item; a string literal holding exactly that is
// taken as a key use.
const std::regex& KeyLiteralPattern() {
    static const std::regex pattern = [] {
        std::string areas;
        for (const std::string& prefix : AreaPrefixes()) areas += (areas.empty() ? "" : "|") + prefix;
        return std::regex("\"((?:" + areas + ")_[A-Za-z0-9]+)\"");
    }();
    return pattern;
}

struct KeyUse {
    std::string key;
    std::string where;  // file:line
};

std::vector<KeyUse> KeyUsesIn(const std::string& text, const std::string& fileName) {
    std::vector<KeyUse> uses;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++lineNumber;
        const std::string line = text.substr(start, end - start);
        for (auto it = std::sregex_iterator(line.begin(), line.end(), KeyLiteralPattern());
             it != std::sregex_iterator(); ++it) {
            uses.push_back({(*it)[1].str(), fileName + ":" + std::to_string(lineNumber)});
        }
        start = end + 1;
    }
    return uses;
}

std::vector<KeyUse> KeyUsesInTree(const std::filesystem::path& root) {
    static const std::set<std::string> kSourceExtensions = {".cpp", ".h", ".hpp", ".cc"};
    std::vector<KeyUse> uses;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || kSourceExtensions.count(entry.path().extension().string()) == 0)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = std::filesystem::relative(entry.path(), root).string();
        for (KeyUse& use : KeyUsesIn(text, name)) uses.push_back(std::move(use));
    }
    return uses;
}

TEST(LanguageKeyScan, FindsExactlyTheKeyLiterals) {
    // The areas added last are scanned like the first ones.
    for (const char* area : {"Router", "Message", "History", "Changes", "Tray", "About"})
        EXPECT_EQ(AreaPrefixes().count(area), 1u) << area;
    const std::string code =
        "text = table.LookupText(\"SIP_Port\");\n"
        "static const char* kKeys[] = {\"Codec_Codec5\", \"Log_Second7\"}; // \"Button_OK\"\n"
        "Send(\"voip sip port\"); Show(\"SIP_\"); Show(\"Message_Login failed\"); MessageIcon::None;\n"
        "x = \"DialPlan_Title\"\"Index_Loop1\"; Show(\"History_Title\", \"Changes_Field\", \"Tray_Exit\");\n";
    const std::vector<KeyUse> uses = KeyUsesIn(code, "sample.cpp");
    std::vector<std::string> keys;
    for (const KeyUse& use : uses) keys.push_back(use.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"SIP_Port", "Codec_Codec5", "Log_Second7", "Button_OK", "DialPlan_Title",
                                              "Index_Loop1", "History_Title", "Changes_Field", "Tray_Exit"}));
    ASSERT_EQ(uses.size(), 9u);
    EXPECT_EQ(uses[0].where, "sample.cpp:1");
    EXPECT_EQ(uses[8].where, "sample.cpp:4");
}

TEST(LanguageKeyScan, EveryKeyUsedInTheCodeIsInEveryBuiltinFile) {
    const std::vector<KeyUse> uses = KeyUsesInTree(std::filesystem::path(DEZADAV_SOURCE_DIR) / "src");
    // The program shows messages from its code; finding no key at all means the scan is broken.
    ASSERT_FALSE(uses.empty());

    const char* const kFileNames[] = {"english.lng", "chinese_simplified.lng", "chinese_traditional.lng"};
    for (int language = 0; language < 3; ++language) {
        LanguageTable table(BuiltinLanguageSource());
        testing::RecordingMessagePort port;
        table.LoadLanguage(language, &port);
        ASSERT_TRUE(port.shown.empty()) << kFileNames[language];
        std::set<std::string> reported;
        for (const KeyUse& use : uses) {
            // Its message is a fixed English text in every language.
            if (use.key == "Message_DelDialPlan") continue;
            if (table.LookupText(use.key) == kMissingText && reported.insert(use.key).second) {
                ADD_FAILURE() << use.key << " (used at " << use.where << ") is missing from "
                              << kFileNames[language];
            }
        }
    }
}

}  // namespace
}  // namespace dezadav
