#include "lang/language_table.h"

#include <algorithm>
#include <cctype>

namespace dezadav {
namespace {

constexpr std::string_view kEndMarker = ";END";
constexpr std::size_t kMaxLineBytes = 500;

bool IsKeyByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// One line of a language file to its entry (key then "[text]"), or nothing when the line is not an
// entry: a key of at least two printable bytes, blanks, and a "]" after the line's last "[".
std::optional<std::string> EntryFromLine(std::string_view line) {
    if (line.size() > kMaxLineBytes) line = line.substr(0, kMaxLineBytes);
    std::size_t pos = 0;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    const std::size_t keyStart = pos;
    while (pos < line.size() && IsKeyByte(static_cast<unsigned char>(line[pos]))) ++pos;
    const std::string_view key = line.substr(keyStart, pos - keyStart);
    if (key.size() < 2) return std::nullopt;
    const std::size_t open = line.rfind('[');
    if (open == std::string_view::npos || open < pos) return std::nullopt;
    const std::size_t close = line.find(']', open);
    if (close == std::string_view::npos) return std::nullopt;
    std::string entry(key);
    entry.append(line.substr(open, close - open + 1));
    return entry;
}

}  // namespace

LanguageTable::LanguageTable(LanguageSource source) : m_source(std::move(source)) {}

void LanguageTable::SetSource(LanguageSource source) { m_source = std::move(source); }

void LanguageTable::LoadLanguage(int languageNumber, MessagePort* port) {
    m_language = languageNumber;
    m_entries.clear();
    if (languageNumber >= 0 && languageNumber <= 2) {
        m_lastFile = m_source ? m_source(languageNumber) : std::nullopt;
    }
    if (!m_lastFile) {
        if (port) port->ShowMessage("", "Can't find language resource!", MessageIcon::None);
        return;
    }
    LoadFromBytes(*m_lastFile);
}

void LanguageTable::LoadFromBytes(std::string_view fileBytes) {
    m_entries.clear();
    const std::size_t end = fileBytes.find(kEndMarker);
    if (end != std::string_view::npos) fileBytes = fileBytes.substr(0, end);
    std::size_t start = 0;
    while (start <= fileBytes.size()) {
        std::size_t lineEnd = fileBytes.find("\r\n", start);
        if (lineEnd == std::string_view::npos) lineEnd = fileBytes.size();
        if (auto entry = EntryFromLine(fileBytes.substr(start, lineEnd - start))) {
            m_entries.push_back(std::move(*entry));
        }
        start = lineEnd + 2;
    }
}

std::string LanguageTable::LookupText(std::string_view key) const {
    const std::string wanted = UpperAscii(key);
    for (const std::string& entry : m_entries) {
        const std::size_t open = entry.find('[');
        if (open != wanted.size() || UpperAscii(std::string_view(entry).substr(0, open)) != wanted) continue;
        const std::size_t close = entry.find(']', open);
        return entry.substr(open + 1, close - open - 1);
    }
    return std::string(kMissingText);
}

void LanguageTable::ShowLocalizedMessage(MessagePort& port, std::string_view captionKey, std::string_view textKey,
                                         std::string_view defaultCaption, std::string_view defaultText) const {
    // A key missing from the table must not put "####" in front of the user: the built-in English
    // default stands in for it, exactly as for an empty text.
    std::string caption = LookupText(captionKey);
    if (caption.empty() || caption == kMissingText) caption = defaultCaption;
    const std::string text = LookupText(textKey);
    if (!text.empty() && text != kMissingText) {
        port.ShowMessage(caption, text, MessageIcon::Exclamation);
    } else {
        port.ShowMessage(caption, std::string(defaultText), MessageIcon::Stop);
    }
}

LanguageTable& ProcessLanguageTable() {
    static LanguageTable table;
    return table;
}

}  // namespace dezadav
