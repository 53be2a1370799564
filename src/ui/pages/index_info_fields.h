#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "settings/dial_plan_table.h"

namespace dezadav {

// What the Index Info dialog shows and edits for one dial-plan entry.
struct IndexInfoFields {
    std::string groupTitle;  // "Index No. " and the entry's index
    bool enabled = false;
    std::string phone;
    std::string portName;
    std::string domain;
    std::optional<LoopThrough> loopThrough;
    std::string backup;

    bool operator==(const IndexInfoFields&) const = default;
};

// The group-box text of the dialog: `groupText` (kMsgIndexGroup in the language shown) followed by
// the index.
std::string IndexGroupTitle(std::string_view groupText, std::string_view indexText);

// The dialog's fields for `entry`: its SIP address split at the first "@" (port name before it, domain
// after it; without "@" the port name is empty and the whole text is the domain); enabled when the
// status mark is exactly "V".
IndexInfoFields IndexInfoFromEntry(const DialPlanEntry& entry, std::string_view groupText);

// The position the loop-through list (kLoopThroughChoices: ISDN, PSTN, None) selects for `held`; None's
// when the entry has none.
int LoopThroughPosition(const std::optional<LoopThrough>& held);

// The entry after the dialog ended with OK: phone number, loop-through and backup from the dialog;
// SIP address "port@domain" when both are given, the domain alone when the port name is empty; an
// empty domain empties the SIP address, loop-through and backup; status "V" when enabled, else "-".
// Index and name stay those of `before`.
DialPlanEntry EntryFromIndexInfo(const IndexInfoFields& fields, const DialPlanEntry& before);

}  // namespace dezadav
