#include "settings/dial_plan_table.h"

#include <algorithm>
#include <cassert>

#include "settings/settings_file_fields.h"
#include "text/decimal_text.h"

namespace dezadav {
namespace {

// Per kLoopThroughChoices: the language key, the English word, and the words of the shipped
// languages that differ from it (Simplified, Traditional Chinese "None").
constexpr std::array<std::string_view, 3> kLoopKeys = {"Index_Loop1", "Index_Loop2", "Index_Loop3"};
constexpr std::array<std::string_view, 3> kLoopEnglish = {"ISDN", "PSTN", "None"};
constexpr std::array<std::string_view, 2> kNoneInOtherLanguages = {"\xE6\x97\xA0", "\xE7\x84\xA1"};

std::size_t ChoicePosition(LoopThrough loop) {
    switch (loop) {
        case LoopThrough::Isdn:
            return 0;
        case LoopThrough::Pstn:
            return 1;
        case LoopThrough::None:
            break;
    }
    return 2;
}

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal number of the bytes from `pos` after any white space (see ReadLeadingDecimal).
std::int32_t ReadNumberAfterWhiteSpace(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsWhiteSpace(text[pos])) ++pos;
    return ReadLeadingDecimal(text.substr(pos));
}

bool IsEntryNumber(std::int32_t n) {
    return n >= 1 && n <= kDialPlanEntryCount;
}

// A listing value: the bytes from `pos` up to the next LF. Nothing when the value would need
// bytes at or beyond the end (no LF left), which ends the reading of the listing.
struct ListedValue {
    std::string_view text;
    std::size_t lineFeed;
};

std::optional<ListedValue> ValueUpToLineFeed(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return std::nullopt;
    const std::size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) return std::nullopt;
    return ListedValue{text.substr(pos, lf - pos), lf};
}

// Layout of "voip dial_plan list -t", in bytes. Every line ends in LF CR, so a line's first byte
// lies kLineBreak bytes after the LF that ends the line before it. An entry's first line holds
// kIndexColumn bytes, the index, a separator and the status word; the enabled word starts with 'a'
// and the disabled one is kDisabledWordExtra bytes longer. Each further line of the block holds its
// value after a fixed lead.
constexpr std::size_t kLineBreak = 2;
constexpr std::size_t kIndexColumn = 14;
constexpr std::size_t kIndexSeparator = 1;
constexpr char kEnabledWordStart = 'a';
constexpr std::size_t kDisabledWordExtra = 2;
constexpr std::size_t kPhoneAfterEnabledWord = 28;  // from the enabled word's first byte
constexpr std::size_t kPortNameColumn = 6;
constexpr std::size_t kDomainColumn = 9;
constexpr std::size_t kLoopCodeColumn = 6;  // a one-byte code: '1' ISDN, '2' PSTN, else none
constexpr std::size_t kLoopCodeLength = 1;
constexpr std::size_t kBackupColumn = 15;
constexpr char kPromptEnd = '>';
// The loop-through's field in a settings-file row.
constexpr std::size_t kLoopField = 4;
// A listing this short holds no entry.
constexpr std::size_t kLongestEmptyListing = 6;

std::string SipAddress(std::string_view portName, std::string_view domain) {
    if (portName.empty()) return std::string(domain);
    std::string address(portName);
    address += '@';
    address += domain;
    return address;
}

}  // namespace

bool DialPlanOutputHoldsListing(std::string_view output) {
    // The last line holding anything is the prompt; the listing is what comes before it.
    const std::size_t end = output.find_last_not_of(" \r\n");
    if (end == std::string_view::npos) return false;
    const std::size_t promptStart = output.find_last_of("\r\n", end);
    if (promptStart == std::string_view::npos) return true;
    const std::string_view listing = output.substr(0, promptStart);
    const std::size_t first = listing.find_first_not_of(" \r\n");
    return first == std::string_view::npos || listing.substr(first).starts_with("Dialplan idx:");
}

DialPlanEntry EntryAsListed(const DialPlanEntry& sent, bool twoPort) {
    DialPlanEntry listed;
    listed.index = sent.index;
    listed.statusMark = kDialPlanDisabledMark;
    if (sent.phoneNumber.empty()) return listed;
    listed.phoneNumber = sent.phoneNumber;
    const std::string_view address = sent.sipAddress;
    const std::size_t at = address.find('@');
    listed.sipAddress = at == std::string_view::npos ? std::string(address)
                                                     : SipAddress(address.substr(0, at), address.substr(at + 1));
    if (sent.statusMark == kDialPlanEnabledMark) listed.statusMark = kDialPlanEnabledMark;
    if (!twoPort) {
        listed.loopThrough = sent.loopThrough.value_or(LoopThrough::None);
        listed.backupNumber = sent.backupNumber;
    }
    return listed;
}

std::string DialPlanEntry::RowText(const LanguageTable* words) const {
    const std::string loop = loopThrough ? LoopThroughWord(*loopThrough, words) : std::string();
    std::string row;
    row.reserve(index.size() + phoneNumber.size() + name.size() + sipAddress.size() + loop.size() +
                backupNumber.size() + statusMark.size() + 8);
    for (const std::string* field : {&index, &phoneNumber, &name, &sipAddress, &loop, &backupNumber}) {
        row += SettingsFileField(*field);
        row += ',';
    }
    row += SettingsFileField(statusMark);
    row += "\r\n";
    return row;
}

int LoopThroughCode(LoopThrough loop) {
    return static_cast<int>(loop);
}

std::string LoopThroughWord(LoopThrough loop, const LanguageTable* lang) {
    const std::size_t k = ChoicePosition(loop);
    if (lang == nullptr) return std::string(kLoopEnglish[k]);
    return lang->LookupText(kLoopKeys[k]);
}

std::array<std::string, 3> LoopThroughTexts(const LanguageTable& lang) {
    return {LoopThroughWord(kLoopThroughChoices[0], &lang), LoopThroughWord(kLoopThroughChoices[1], &lang),
            LoopThroughWord(kLoopThroughChoices[2], &lang)};
}

std::optional<LoopThrough> LoopThroughFromWord(std::string_view word) {
    for (std::size_t k = 0; k < kLoopEnglish.size(); ++k) {
        if (word == kLoopEnglish[k]) return kLoopThroughChoices[k];
    }
    for (const std::string_view none : kNoneInOtherLanguages) {
        if (word == none) return LoopThrough::None;
    }
    return std::nullopt;
}

DialPlanTable::DialPlanTable() {
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        m_entries[p].index = std::to_string(p + 1);
        m_entries[p].statusMark = kDialPlanDisabledMark;
    }
}

const DialPlanEntry& DialPlanTable::Entry(int position) const {
    assert(position >= 0 && position < kDialPlanEntryCount);
    return m_entries[position];
}

bool DialPlanTable::IsChanged(int position) const {
    assert(position >= 0 && position < kDialPlanEntryCount);
    return m_changed[position];
}

void DialPlanTable::SetEntry(int position, const DialPlanEntry& entry) {
    assert(position >= 0 && position < kDialPlanEntryCount);
    DialPlanEntry& target = m_entries[position];
    const std::string index = target.index;
    target = entry;
    target.index = index;
    m_changed[position] = true;
}

void DialPlanTable::ClearEntry(int position) {
    assert(position >= 0 && position < kDialPlanEntryCount);
    DialPlanEntry& entry = m_entries[position];
    entry.phoneNumber.clear();
    entry.name.clear();
    entry.sipAddress.clear();
    entry.loopThrough.reset();
    entry.backupNumber.clear();
    entry.statusMark = kDialPlanDisabledMark;
    m_checked[position] = false;
    m_changed[position] = true;
}

bool DialPlanTable::IsChecked(int position) const {
    assert(position >= 0 && position < kDialPlanEntryCount);
    return m_checked[position];
}

void DialPlanTable::SetChecked(int position, bool checked) {
    assert(position >= 0 && position < kDialPlanEntryCount);
    m_checked[position] = checked;
}

bool DialPlanTable::FillFromListing(std::string_view text, bool twoPort) {
    if (text.empty()) return false;
    for (int p = 0; p < kDialPlanEntryCount; ++p) ClearEntry(p);
    const std::size_t length = text.size();

    // The anchor is the LF before a block's first line. Two-port routers print no loop-through or
    // backup line but an empty line after each block. Each anchor lies after the previous one, so
    // the loop ends at the latest when the text does.
    std::size_t anchor = 0;
    while (length > kLongestEmptyListing) {
        const std::size_t indexPos = anchor + kLineBreak + kIndexColumn;
        if (indexPos >= length) break;
        const std::int32_t number = ReadNumberAfterWhiteSpace(text, indexPos);
        const std::size_t indexDigits = number >= 10 ? 2 : 1;
        const std::size_t statusPos = indexPos + indexDigits + kIndexSeparator;
        if (statusPos >= length) break;
        const bool enabled = text[statusPos] == kEnabledWordStart;
        const std::size_t phonePos = statusPos + (enabled ? 0 : kDisabledWordExtra) + kPhoneAfterEnabledWord;

        const auto phone = ValueUpToLineFeed(text, phonePos);
        if (!phone) break;
        const auto portName = ValueUpToLineFeed(text, phone->lineFeed + kLineBreak + kPortNameColumn);
        if (!portName) break;
        const auto domain = ValueUpToLineFeed(text, portName->lineFeed + kLineBreak + kDomainColumn);
        if (!domain) break;

        std::optional<LoopThrough> loopThrough;
        std::string_view backup;
        std::size_t nextCheck = 0;  // first byte of the next block's line, or the prompt
        std::size_t nextAnchor = 0;
        if (twoPort) {
            // The empty line's LF is the next anchor.
            nextAnchor = domain->lineFeed + kLineBreak;
            nextCheck = nextAnchor + kLineBreak;
        } else {
            const std::size_t loopPos = domain->lineFeed + kLineBreak + kLoopCodeColumn;
            const std::size_t backupPos = loopPos + kLoopCodeLength + kLineBreak + kBackupColumn;
            if (backupPos >= length) break;
            const char code = text[loopPos];
            loopThrough = code == '1'   ? LoopThrough::Isdn
                          : code == '2' ? LoopThrough::Pstn
                                        : LoopThrough::None;
            std::size_t backupEnd = backupPos;
            if (text[backupPos] != kPromptEnd && text[backupPos] != '\n') {
                const auto value = ValueUpToLineFeed(text, backupPos);
                if (!value) break;
                backup = value->text;
                backupEnd = value->lineFeed;
            }
            nextCheck = backupEnd + kLineBreak;
            nextAnchor = backupEnd;
        }

        if (IsEntryNumber(number)) {
            DialPlanEntry& entry = m_entries[number - 1];
            entry.statusMark = enabled ? kDialPlanEnabledMark : kDialPlanDisabledMark;
            entry.phoneNumber = phone->text;
            entry.sipAddress = SipAddress(portName->text, domain->text);
            entry.loopThrough = loopThrough;
            entry.backupNumber = backup;
        }
        if (nextCheck >= length || text[nextCheck] == kPromptEnd) break;
        anchor = nextAnchor;
    }
    m_changed.fill(false);
    return true;
}

bool DialPlanTable::FillFromFileSection(std::string_view text, std::size_t start, std::size_t end) {
    if (end < 1) return false;
    if (end > text.size()) end = text.size();
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (!m_entries[p].phoneNumber.empty()) ClearEntry(p);
    }

    for (const SettingsFileLine& line : SplitSettingsFileLines(text, start, end)) {
        if (line.fields.empty()) continue;
        // The index cell keeps its own canonical text: a row's index field ("07", " 7", "7x") only
        // selects the entry.
        const std::int32_t number = ReadNumberAfterWhiteSpace(line.fields[0], 0);
        if (!IsEntryNumber(number)) continue;
        DialPlanEntry& entry = m_entries[number - 1];
        std::string loopWord;
        std::string* const targets[] = {&entry.phoneNumber, &entry.name,         &entry.sipAddress,
                                        &loopWord,          &entry.backupNumber, &entry.statusMark};
        const std::size_t last = std::min<std::size_t>(line.fields.size(), 7);
        // A row whose phone field is empty only counts when an earlier row of the same section
        // gave the entry a phone number.
        if (last > 1 && line.fields[1].empty() && entry.phoneNumber.empty()) continue;
        for (std::size_t k = 1; k < last; ++k) {
            *targets[k - 1] = line.fields[k];
            m_changed[number - 1] = true;
        }
        if (last > kLoopField) {
            entry.loopThrough =
                loopWord.empty() ? std::nullopt
                                 : std::optional(LoopThroughFromWord(loopWord).value_or(LoopThrough::None));
        }
    }
    return true;
}

std::vector<DialPlanEntry> DialPlanTable::ChangedEntries() const {
    std::vector<DialPlanEntry> changed;
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (m_changed[p]) changed.push_back(m_entries[p]);
    }
    return changed;
}

std::string DialPlanTable::AllRowsText(const LanguageTable* words) const {
    std::string rows;
    for (const DialPlanEntry& entry : m_entries) rows += entry.RowText(words);
    return rows;
}

void DialPlanTable::BringToForm(bool twoPort) {
    for (DialPlanEntry& entry : m_entries) {
        if (twoPort) {
            entry.loopThrough.reset();
            entry.backupNumber.clear();
        } else if (!entry.phoneNumber.empty() && !entry.loopThrough) {
            entry.loopThrough = LoopThrough::None;
        }
    }
}

void DialPlanTable::MarkChangesApplied() {
    m_changed.fill(false);
}

bool DialPlanTable::operator==(const DialPlanTable& other) const {
    return m_entries == other.m_entries && m_changed == other.m_changed && m_checked == other.m_checked;
}

}  // namespace dezadav
