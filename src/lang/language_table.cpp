#include "lang/language_table.h"

namespace dezadav {
namespace {

constexpr std::string_view kEndMarker = ";END";
constexpr std::string_view kLineEnd = "\r\n";

// The message shown when the program carries no file for the requested language; it cannot come
// from a language file, since there is none.
constexpr std::string_view kNoResourceCaption = "Dezadav";
constexpr std::string_view kNoResourceText = "Can't find language resource!";

bool IsKeyByte(unsigned char c) {
    return c >= 0x21 && c <= 0x7E;
}

// Keys are ASCII, so only ASCII letters fold; comparing in place spares a copy of every key per
// lookup, and the C library's toupper would depend on the process locale, which Qt sets.
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

// One line of a language file to its entry (key then "[text]"), or nothing when the line is not an
// entry. The key is the run of printable bytes after leading blanks and tabs, at least two of them;
// the bracketed part runs from the line's last "[" to the first "]" after it. Lines are taken whole
// whatever their length, so a long text is never cut short.
std::optional<std::string> EntryFromLine(std::string_view line) {
    std::size_t pos = 0;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    const std::size_t keyStart = pos;
    while (pos < line.size() && IsKeyByte(static_cast<unsigned char>(line[pos]))) ++pos;
    const std::string_view key = line.substr(keyStart, pos - keyStart);
    if (key.size() < 2) return std::nullopt;
    const std::size_t open = line.rfind('[');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = line.find(']', open);
    if (close == std::string_view::npos) return std::nullopt;
    std::string entry;
    entry.reserve(key.size() + (close - open + 1));
    entry.append(key);
    entry.append(line.substr(open, close - open + 1));
    return entry;
}

}  // namespace

LanguageTable::LanguageTable(LanguageSource source) : m_source(std::move(source)) {}

void LanguageTable::SetSource(LanguageSource source) {
    m_source = std::move(source);
}

void LanguageTable::LoadLanguage(int languageNumber, MessagePort* port) {
    m_language = languageNumber;
    m_entries.clear();
    if (languageNumber >= 0 && languageNumber <= 2) {
        m_lastFile = m_source ? m_source(languageNumber) : std::nullopt;
    }
    if (!m_lastFile) {
        if (port)
            port->ShowMessage(std::string(kNoResourceCaption), std::string(kNoResourceText),
                              MessageIcon::None);
        return;
    }
    LoadFromBytes(*m_lastFile);
}

void LanguageTable::LoadFromBytes(std::string_view fileBytes) {
    m_entries.clear();
    const std::size_t end = fileBytes.find(kEndMarker);
    if (end != std::string_view::npos) fileBytes = fileBytes.substr(0, end);
    std::size_t start = 0;
    for (;;) {
        const std::size_t lineEnd = fileBytes.find(kLineEnd, start);
        const std::string_view line = fileBytes.substr(
            start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
        if (auto entry = EntryFromLine(line)) m_entries.push_back(std::move(*entry));
        if (lineEnd == std::string_view::npos) break;
        start = lineEnd + kLineEnd.size();
    }
}

std::string LanguageTable::LookupText(std::string_view key) const {
    for (const std::string& entry : m_entries) {
        // Every entry holds a "[" followed later by a "]": EntryFromLine only makes such entries.
        const std::size_t open = entry.find('[');
        if (!EqualIgnoringAsciiCase(std::string_view(entry).substr(0, open), key)) continue;
        const std::size_t close = entry.find(']', open);
        return entry.substr(open + 1, close - open - 1);
    }
    return std::string(kMissingText);
}

void LanguageTable::ShowLocalizedMessage(MessagePort& port, std::string_view captionKey,
                                         std::string_view textKey, std::string_view defaultCaption,
                                         std::string_view defaultText) const {
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

}  // namespace dezadav
