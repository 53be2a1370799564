#pragma once

// The English language file the program carries, read from the source tree, so that tests and fuzz
// targets take the English texts from the one place the program takes them from.

#include <fstream>
#include <iterator>
#include <string>

#include "lang/language_table.h"

namespace dezadav::testing {

inline LanguageTable ShippedEnglish() {
    std::ifstream in(std::string(DEZADAV_SOURCE_DIR) + "/res/lang/english.lng", std::ios::binary);
    LanguageTable table;
    table.LoadFromBytes(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
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
