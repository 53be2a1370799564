#include "settings/router_settings.h"

#include "text/decimal_text.h"

namespace dezadav {
namespace {

// The position of an entry's index; nothing for an index outside the table.
std::optional<std::size_t> PositionOf(const DialPlanEntry& entry) {
    const std::int32_t index = ReadLeadingDecimal(entry.index);
    if (index < 1 || index > kDialPlanEntryCount) return std::nullopt;
    return static_cast<std::size_t>(index - 1);
}

}  // namespace

bool RouterSettings::HoldsEntry(const DialPlanEntry& entry) const {
    const std::optional<std::size_t> position = PositionOf(entry);
    if (!position || !dialPlan[*position]) return false;
    const DialPlanEntry& held = *dialPlan[*position];
    return held.phoneNumber == entry.phoneNumber && held.sipAddress == entry.sipAddress &&
           held.loopThrough == entry.loopThrough && held.backupNumber == entry.backupNumber &&
           held.statusMark == entry.statusMark;
}

void RouterSettings::TakeDialPlan(const DialPlanTable& table) {
    for (int p = 0; p < kDialPlanEntryCount; ++p) dialPlan[static_cast<std::size_t>(p)] = table.Entry(p);
}

void RouterSettings::SetEntry(const DialPlanEntry& entry, bool known) {
    const std::optional<std::size_t> position = PositionOf(entry);
    if (!position) return;
    if (known) {
        dialPlan[*position] = entry;
    } else {
        dialPlan[*position].reset();
    }
}

}  // namespace dezadav
