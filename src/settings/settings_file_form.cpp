#include "settings/settings_file_form.h"

#include "lang/message_port.h"
#include "settings/settings_file.h"

namespace dezadav {

std::optional<bool> SettingsFileIsTwoPort(std::string_view text, const LanguageTable& lang) {
    // Read as the loader reads it, into models of their own in the one-port form (whose expiry
    // lists are the longer ones).
    DialPlanTable dialPlan;
    SipSettings sip(lang);
    CodecSettings codec(lang);
    CallLogTable callLog;
    SilentMessagePort discarded;
    LoadSettingsText(text, SettingsModels{dialPlan, sip, codec, callLog}, lang, discarded);

    bool onePort = sip.Port1Expiry().Selected() >= kTwoPortExpiryCount ||
                   sip.Port2Expiry().Selected() >= kTwoPortExpiryCount;
    for (int p = 0; p < kDialPlanEntryCount && !onePort; ++p) {
        const DialPlanEntry& entry = dialPlan.Entry(p);
        onePort = entry.loopThrough.has_value() || !entry.backupNumber.empty();
    }
    const bool twoPort = sip.Port1RegisterVia().Selected() >= kRegisterViaWan ||
                         sip.Port2RegisterVia().Selected() > kRegisterViaNone ||
                         codec.Codec().Selected() >= kOnePortCodecCount;
    if (onePort == twoPort) return std::nullopt;
    return twoPort;
}

}  // namespace dezadav
