// Loads arbitrary bytes as a settings file and turns what was loaded into the commands of an apply,
// as the workflow does before Apply to Router (every changed entry, the SIP row and the numeric codec
// row, none of them known to the router). Whatever the file holds, either the apply is refused before
// anything is sent, or every command is one line of printable bytes that starts with "voip " and
// there are no more of them than the three areas have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "session/apply_commands.h"
#include "settings/settings_file.h"
#include "support/english_language.h"

namespace {

const dezadav::LanguageTable& Language() {
    static const dezadav::LanguageTable table = dezadav::testing::ShippedEnglish();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool twoPort = (data[0] & 1) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    dezadav::DialPlanTable dialPlan;
    dezadav::SipSettings sip(Language());
    dezadav::CodecSettings codec(Language());
    dezadav::CallLogTable callLog;
    sip.SetTwoPort(twoPort);
    if (!twoPort) codec.LimitCodecChoicesToOnePort();
    dezadav::SilentMessagePort port;
    dezadav::LoadSettingsText(text, dezadav::SettingsModels{dialPlan, sip, codec, callLog}, Language(), port);

    dezadav::ApplyTexts apply;
    apply.dialPlanRows = dialPlan.ChangedEntries();
    apply.sipRow = sip.SipFields();
    apply.codecRow = codec.CodecFields(true);
    const dezadav::ApplyPlan plan = dezadav::BuildApplyPlan({}, apply, twoPort);

    if (plan.refusal) {
        if (!plan.commands.empty()) std::abort();
        return 0;
    }
    if (plan.commands.size() > static_cast<std::size_t>(dezadav::kDialPlanEntryCount) + 10 + 6) std::abort();
    for (const dezadav::ApplyCommand& command : plan.commands) {
        if (command.text.rfind("voip ", 0) != 0) std::abort();
        if (dezadav::ContainsControlByte(command.text)) std::abort();
    }
    return 0;
}
