#include "settings/router_form_change.h"

#include <gtest/gtest.h>

#include "support/english_language.h"

namespace dezadav {
namespace {

TEST(RouterFormChangeTest, PagesKeepTheirMeaningInTheOtherForm) {
    struct Case {
        bool fromTwoPort;
        std::string expiry, expiryAfter;  // shown on both ports ("": no selection)
        int via, viaAfter;                // port-1 register-via
        bool useRegistrar, useRegistrarAfter;
    };
    const LanguageTable english = testing::ShippedEnglish();
    for (const Case& c : {Case{false, "5 mins", "10 mins", kRegisterViaNone, kRegisterViaAuto, true, true},
                          Case{false, "", "", kRegisterViaWan, kRegisterViaWan, false, false},
                          Case{true, "10 mins", "10 mins", kRegisterViaAuto, kRegisterViaAuto, false, true},
                          Case{true, "1 day", "1 day", kRegisterViaNone, kRegisterViaNone, true, false},
                          Case{true, "8 hours", "8 hours", kRegisterViaLanVpn, kRegisterViaLanVpn, true, true}}) {
        SCOPED_TRACE(c.expiry + (c.fromTwoPort ? " from two-port" : " from one-port"));
        SipSettings sip(english);
        CodecSettings codec(english);
        sip.SetTwoPort(c.fromTwoPort);
        BringCodecChoicesToForm(codec, c.fromTwoPort);
        for (ChoiceList* list : {&sip.Port1Expiry(), &sip.Port2Expiry()}) {
            sip.BringExpiryListToForm(*list);
            list->Select(-1);
            list->SelectText(c.expiry);
        }
        sip.Port1RegisterVia().Select(c.via);
        sip.SetUseRegistrar(c.useRegistrar);
        sip.SetTwoPort(!c.fromTwoPort);
        BringSettingsToRouterForm(sip, codec, c.fromTwoPort);
        for (const ChoiceList* list : {&sip.Port1Expiry(), &sip.Port2Expiry()}) {
            EXPECT_EQ(list->Count(), c.fromTwoPort ? kFullExpiryCount : kTwoPortExpiryCount);
            EXPECT_EQ(list->SelectedText(), c.expiryAfter);
        }
        EXPECT_EQ(sip.Port1RegisterVia().Selected(), c.viaAfter);
        EXPECT_EQ(sip.UseRegistrar(), c.useRegistrarAfter);
        EXPECT_EQ(codec.Codec().Count(), c.fromTwoPort ? kOnePortCodecCount : 5);
    }
}

}  // namespace
}  // namespace dezadav
