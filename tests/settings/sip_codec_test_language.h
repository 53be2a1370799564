#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "lang/language_table.h"
#include "support/english_sip_codec_texts.h"

namespace dezadav::testing {

// A language table holding the English texts, each prefixed with `prefix` (empty: plain English), so
// that a test can tell which language a list text came from.
inline LanguageTable SipCodecLanguage(const std::string& prefix = "") {
    std::string file = ";test language\r\n";
    for (const auto& [key, text] : EnglishSipCodecTexts()) file += key + "\t\t[" + prefix + text + "]\r\n";
    file += ";END\r\n";
    LanguageTable table;
    table.LoadFromBytes(file);
    return table;
}

// The English language file the program carries.
inline LanguageTable ShippedEnglish() {
    std::ifstream in(std::string(DEZADAV_SOURCE_DIR) + "/res/lang/english.lng", std::ios::binary);
    LanguageTable table;
    table.LoadFromBytes(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    return table;
}

}  // namespace dezadav::testing
