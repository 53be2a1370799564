#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"

namespace dezadav {

// Number of entries the router's dial plan always holds; entry position = index - 1.
inline constexpr int kDialPlanEntryCount = 60;

// Status marks of an entry.
inline constexpr std::string_view kDialPlanEnabledMark = "V";
inline constexpr std::string_view kDialPlanDisabledMark = "-";

// The line a dial-plan entry falls back to, by the router's code.
enum class LoopThrough : std::uint8_t { None = 0, Isdn = 1, Pstn = 2 };

// One dial-plan entry: seven fields in the column order of the dial-plan list and the field order of
// every row text.
struct DialPlanEntry {
    std::string index;         // "1".."60", fixed per table position
    std::string phoneNumber;   // empty: entry not in use
    std::string name;          // only settings files carry it; never read from or sent to the router
    std::string sipAddress;    // "port@domain", or the domain alone when the port name is empty
    // The line a call takes when VoIP fails, as the router's code; none on a two-port router (which
    // has no such line) and on an entry not in use. Held as a code, never as a word: the word shown
    // follows the language of the moment.
    std::optional<LoopThrough> loopThrough;
    std::string backupNumber;  // any text
    std::string statusMark;    // "V" enabled, "-" disabled or not in use

    // The seven fields joined by "," and followed by CR LF, a field holding a comma or a double quote
    // in double quotes (SettingsFileField). The loop-through is written as the word of `words`
    // (English when none is given), nothing when the entry has none. An empty entry 5 gives
    // "5,,,,,,-\r\n".
    std::string RowText(const LanguageTable* words = nullptr) const;

    bool operator==(const DialPlanEntry&) const = default;
};

// The loop-through choices in the order the Index Info dialog lists them: ISDN, PSTN, None.
inline constexpr std::array<LoopThrough, 3> kLoopThroughChoices = {LoopThrough::Isdn, LoopThrough::Pstn,
                                                                   LoopThrough::None};

// The router's code of a loop-through: 1 ISDN, 2 PSTN, 0 None.
int LoopThroughCode(LoopThrough loop);

// The word `lang` shows for a loop-through (Index_Loop1 ISDN, Index_Loop2 PSTN, Index_Loop3 None);
// the English word when `lang` is null.
std::string LoopThroughWord(LoopThrough loop, const LanguageTable* lang);
// The words of `lang` for kLoopThroughChoices, in that order.
std::array<std::string, 3> LoopThroughTexts(const LanguageTable& lang);

// The loop-through a word of a file or record names, whichever of the program's languages wrote
// it: "ISDN", "PSTN", and for None the English, Simplified and Traditional Chinese words. Exact
// comparison; nothing for any other text (the empty one included).
std::optional<LoopThrough> LoopThroughFromWord(std::string_view word);

// True when `output`, the captured output of "voip dial_plan list -t", is a listing: nothing before
// the prompt (no entry in use), or a first line that starts an entry ("Dialplan idx:"). An error
// answer or anything else is no dial plan, not an empty one.
bool DialPlanOutputHoldsListing(std::string_view output);

// What a router lists for `sent` once the set or delete command built from it went through: the
// name is gone (only files keep it), the SIP address split at its first '@' reads back as the
// apply sent it, the status is "V" or "-", and a two-port router keeps no loop-through or backup
// number; a one-port router's loop-through reads back as its code (None when the entry gave none). An
// entry without a phone number is deleted and lists as an empty entry.
DialPlanEntry EntryAsListed(const DialPlanEntry& sent, bool twoPort);

// The router's dial plan as the pages show it: exactly 60 entries, always present, plus one changed
// flag per entry (set: the entry is offered to the next apply, which leaves out an entry the router
// is known to hold already; see RouterSettings).
class DialPlanTable {
public:
    // All 60 entries empty, index "1".."60", status "-", no changed flag.
    DialPlanTable();

    // Position 0..59. Positions outside that range are a programming error (checked by assert).
    const DialPlanEntry& Entry(int position) const;
    bool IsChanged(int position) const;

    // An edit made by the user (dial-plan page): every field except the index (which stays the
    // position's own) takes the value of `entry`, and the changed flag is set.
    void SetEntry(int position, const DialPlanEntry& entry);

    // Empties phone number, name, SIP address, loop-through and backup number, sets the status
    // mark to "-", clears the entry's check mark and sets the changed flag. The index does not
    // change.
    void ClearEntry(int position);

    // The check box of the entry's row in the dial-plan list, which marks the entry for Clear
    // Selected. Only the user (through the page) sets it; ClearEntry clears it, so every reader
    // that clears entries (a router listing, a file section) takes the marks of those entries away.
    bool IsChecked(int position) const;
    void SetChecked(int position, bool checked);

    // Reads the captured output of "voip dial_plan list -t" (everything after the echoed command
    // line up to the closing prompt). twoPort selects the two-port layout (no loop-through or
    // backup lines, one empty line after each block). Returns false and changes nothing for an empty text;
    // otherwise every entry is first cleared, the listed entries are filled, all changed flags are cleared
    // and true is returned. Never reads past the end of `text`: a block cut short by the end is not stored.
    bool FillFromListing(std::string_view text, bool twoPort);

    // Reads the dial-plan section [start, end) of a settings file's bytes (end exclusive, clamped
    // to the text). Returns false, changing nothing, when end < 1. Entries with a phone number are
    // cleared first; every row "index,phone,name,sip,loop,backup,status" whose index reads as
    // 1..60 and whose phone field is not empty (or whose entry already got a phone number from
    // an earlier row of the same section) fills that entry field by field and sets its changed
    // flag. Fields are held whole; a comma inside a value splits it, as in every row text. The
    // loop-through field is read by LoopThroughFromWord: empty gives none, a word no language has
    // gives None (what the router is sent for it).
    bool FillFromFileSection(std::string_view text, std::size_t start, std::size_t end);

    // The changed entries in list order, as fields: what the apply offers, and empty when nothing
    // changed. (A value may contain a comma, which a row text cannot carry unambiguously.)
    std::vector<DialPlanEntry> ChangedEntries() const;

    // Row texts of all 60 entries, entries 1 to 60, loop-throughs in the words of `words` (English
    // when none): the dial-plan section of the settings file.
    std::string AllRowsText(const LanguageTable* words = nullptr) const;

    // The entries in a router form's fields, changed flags untouched: on a two-port router (which has
    // neither) every loop-through and backup number is emptied; on a one-port router an entry in use
    // without a loop-through gets None.
    void BringToForm(bool twoPort);

    // After a completed apply: all 60 changed flags are cleared.
    void MarkChangesApplied();

    // Same entries, changed flags and check marks.
    bool operator==(const DialPlanTable& other) const;

private:
    std::array<DialPlanEntry, kDialPlanEntryCount> m_entries;
    std::array<bool, kDialPlanEntryCount> m_changed{};
    std::array<bool, kDialPlanEntryCount> m_checked{};
};

}  // namespace dezadav
