#pragma once

// The English language file the program carries, read from the source tree, so that tests and fuzz
// targets take the English texts from the one place the program takes them from.

#include <fstream>
#include <optional>
#include <iterator>
#include <string>

#include "lang/language_table.h"

namespace dezadav::testing {

// The three language files the program carries, by language number, from the source tree.
inline LanguageSource ShippedLanguageSource() {
    return [](int languageNumber) -> std::optional<std::string> {
        static const char* const kFiles[] = {"english.lng", "chinese_simplified.lng", "chinese_traditional.lng"};
        if (languageNumber < 0 || languageNumber > 2) return std::nullopt;
        std::ifstream in(std::string(DEZADAV_SOURCE_DIR) + "/res/lang/" + kFiles[languageNumber], std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
}

// The shipped table of `languageNumber` (English unless told), with the other languages at hand.
inline LanguageTable ShippedEnglish(int languageNumber = 0) {
    LanguageTable table(ShippedLanguageSource());
    table.LoadLanguage(languageNumber);
    return table;
}

// The shipped English texts, each prefixed with `prefix`, so that a test can tell which language
// table a text came from.
inline LanguageTable PrefixedEnglish(const std::string& prefix) {
    const LanguageTable english = ShippedEnglish();
    std::string file;
    for (const std::string& entry : english.Entries()) {
        // An entry is the key immediately followed by "[text]".
        const std::size_t open = entry.find('[');
        file += entry.substr(0, open) + "\t[" + prefix + entry.substr(open + 1) + "\r\n";
    }
    LanguageTable table;
    table.LoadFromBytes(file);
    return table;
}

}  // namespace dezadav::testing
