#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lang/message_port.h"

namespace dezadav {

// Supplies the bytes of a built-in language file by language number (0 English, 1 Simplified
// Chinese, 2 Traditional Chinese). Returns nothing when the program carries no such file.
using LanguageSource = std::function<std::optional<std::string>(int languageNumber)>;

// The table every caption, label and message is looked up in. Each program (and each worker thread
// of dezadav-cli) makes its own and hands it to whatever shows texts.
class LanguageTable {
public:
    LanguageTable() = default;
    explicit LanguageTable(LanguageSource source);

    void SetSource(LanguageSource source);

    // Empties the table and fills it from language n's file. Numbers outside 0..2 reuse the file
    // found last. When no file is found, "Can't find language resource!" goes to `port` (when
    // given, as a plain message under the program's name) and the table stays empty.
    void LoadLanguage(int languageNumber, MessagePort* port = nullptr);

    // Parses language-file bytes into the table (replacing it); exposed for tests and fuzzing.
    // Lines end with CR LF; the file ends at its first ";END". An entry line is: blanks or tabs, a
    // key of at least two bytes 0x21..0x7E, then somewhere a "[" whose last occurrence on the line
    // is followed by a "]". Any other line is ignored. Lines are taken whole, however long.
    void LoadFromBytes(std::string_view fileBytes);

    // Text of the first entry whose key matches, ignoring ASCII case; "####" when none does.
    std::string LookupText(std::string_view key) const;

    // One message through `port`: looked-up caption (default when empty / missing) and the
    // looked-up text with the exclamation icon, or the default text with the stop icon.
    void ShowLocalizedMessage(MessagePort& port, std::string_view captionKey, std::string_view textKey,
                              std::string_view defaultCaption, std::string_view defaultText) const;

    int CurrentLanguage() const { return m_language; }
    // A table over the same files with language n loaded (empty when the table has no source).
    LanguageTable InLanguage(int languageNumber) const {
        LanguageTable table(m_source);
        if (m_source) table.LoadLanguage(languageNumber);
        return table;
    }
    const std::vector<std::string>& Entries() const { return m_entries; }

private:
    LanguageSource m_source;
    int m_language = 0;
    std::optional<std::string> m_lastFile;
    std::vector<std::string> m_entries;  // key immediately followed by "[text]"
};

inline constexpr std::string_view kMissingText = "####";

}  // namespace dezadav
