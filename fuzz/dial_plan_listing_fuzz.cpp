// Feeds arbitrary bytes to the dial-plan listing reader in the router form the first byte picks, and
// checks what the table promises afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/dial_plan_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool twoPort = (data[0] & 1) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    dezadav::DialPlanTable table;
    table.SetEntry(0, dezadav::DialPlanEntry{"", "stale", "n", "a@b", dezadav::LoopThrough::Isdn, "1", "V"});
    const bool filled = table.FillFromListing(text, twoPort);
    if (filled != !text.empty()) std::abort();
    if (!filled) return 0;

    for (int p = 0; p < dezadav::kDialPlanEntryCount; ++p) {
        const dezadav::DialPlanEntry& e = table.Entry(p);
        if (e.index != std::to_string(p + 1)) std::abort();
        if (e.statusMark != "V" && e.statusMark != "-") std::abort();
        if (table.IsChanged(p)) std::abort();
        if (!e.name.empty()) std::abort();
        // Every value ends at a line feed, so none can hold one.
        for (const std::string* v : {&e.phoneNumber, &e.sipAddress, &e.backupNumber}) {
            if (v->find('\n') != std::string::npos) std::abort();
        }
        if (twoPort && (e.loopThrough || !e.backupNumber.empty())) std::abort();
        if (!twoPort && e.statusMark == "V" && !e.loopThrough) std::abort();
    }
    if (!table.ChangedEntries().empty()) std::abort();
    return 0;
}
