#pragma once

// The four models of one program, as the main window holds them for its pages.

#include "lang/language_table.h"
#include "settings/router_form_change.h"
#include "settings/settings_file.h"

namespace dezadav::testing {

struct PageModels {
    explicit PageModels(const LanguageTable& lang) : sip(lang), codec(lang) {}
    // In `twoPort`'s form, as after a fetch from such a router.
    PageModels(const LanguageTable& lang, bool twoPort) : PageModels(lang) {
        if (twoPort) {
            sip.SetTwoPort(true);
            BringSettingsToRouterForm(sip, codec, false);
            sip.Recaption();
        } else {
            codec.LimitCodecChoicesToOnePort();
        }
    }
    SettingsModels Models() { return {dialPlan, sip, codec, callLog}; }

    DialPlanTable dialPlan;
    SipSettings sip;
    CodecSettings codec;
    CallLogTable callLog;
};

}  // namespace dezadav::testing
