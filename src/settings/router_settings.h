#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "settings/dial_plan_table.h"

namespace dezadav {

// What one router holds, as last read from it or written to it: the value an apply compares the
// pages with. A part that is not known is empty (an entry without a value, a row without fields);
// an unknown part never equals what the pages hold, so it goes out whole. The call log is not part
// of it: it is only ever read from the router, never compared or written back.
struct RouterSettings {
    // The router's dial-plan entries by position (index - 1), where known.
    std::array<std::optional<DialPlanEntry>, kDialPlanEntryCount> dialPlan{};
    // The ten SIP fields in the order of SipField; empty when not known.
    std::vector<std::string> sipFields;
    // The six codec fields in numeric form, in the order of CodecField; empty when not known.
    std::vector<std::string> codecFields;

    // True when the router is known to hold `entry` at its index in every field it keeps (all but
    // the name, which only settings files carry).
    bool HoldsEntry(const DialPlanEntry& entry) const;

    // Every entry of `table` becomes what the router holds (the table was read from its listing).
    void TakeDialPlan(const DialPlanTable& table);

    // What the router holds at the index of `entry` becomes `entry`, or unknown (`known` false).
    // An index outside 1..60 is ignored.
    void SetEntry(const DialPlanEntry& entry, bool known);

    bool operator==(const RouterSettings&) const = default;
};

}  // namespace dezadav
