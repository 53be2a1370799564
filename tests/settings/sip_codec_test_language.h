#pragma once

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

}  // namespace dezadav::testing
