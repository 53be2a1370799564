#include "ui/pages/index_info_fields.h"

namespace dezadav {

std::string IndexGroupTitle(std::string_view groupText, std::string_view indexText) {
    return std::string(groupText) + std::string(indexText);
}

IndexInfoFields IndexInfoFromEntry(const DialPlanEntry& entry, std::string_view groupText) {
    IndexInfoFields fields;
    fields.groupTitle = IndexGroupTitle(groupText, entry.index);
    fields.enabled = entry.statusMark == kDialPlanEnabledMark;
    fields.phone = entry.phoneNumber;
    const std::size_t at = entry.sipAddress.find('@');
    if (at == std::string::npos) {
        fields.domain = entry.sipAddress;
    } else {
        fields.portName = entry.sipAddress.substr(0, at);
        fields.domain = entry.sipAddress.substr(at + 1);
    }
    fields.loopThrough = entry.loopThrough;
    fields.backup = entry.backupNumber;
    return fields;
}

int LoopThroughPosition(const std::optional<LoopThrough>& held) {
    const LoopThrough loop = held.value_or(LoopThrough::None);
    for (std::size_t i = 0; i < kLoopThroughChoices.size(); ++i) {
        if (kLoopThroughChoices[i] == loop) return static_cast<int>(i);
    }
    return static_cast<int>(kLoopThroughChoices.size()) - 1;
}

DialPlanEntry EntryFromIndexInfo(const IndexInfoFields& fields, const DialPlanEntry& before) {
    DialPlanEntry entry = before;
    entry.phoneNumber = fields.phone;
    entry.loopThrough = fields.loopThrough;
    entry.backupNumber = fields.backup;
    if (fields.domain.empty()) {
        entry.sipAddress.clear();
        entry.loopThrough.reset();
        entry.backupNumber.clear();
    } else if (fields.portName.empty()) {
        entry.sipAddress = fields.domain;
    } else {
        entry.sipAddress = fields.portName + "@" + fields.domain;
    }
    entry.statusMark = std::string(fields.enabled ? kDialPlanEnabledMark : kDialPlanDisabledMark);
    return entry;
}

}  // namespace dezadav
