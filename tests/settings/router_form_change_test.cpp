#include "settings/router_form_change.h"

#include <gtest/gtest.h>

#include <string>

#include "support/english_language.h"

namespace dezadav {
namespace {

TEST(RouterFormChangeTest, PagesKeepTheirMeaningInTheOtherForm) {
    struct Case {
        bool fromTwoPort, toTwoPort;
        std::string expiry;  // shown on both ports before and after ("": no selection)
        int via;             // port-1 register-via before
        bool useRegistrar;   // before
        std::string expiryAfter;
        int viaAfter;
        bool useRegistrarAfter;
    };
    const Case cases[] = {
        {false, true, "5 mins", kRegisterViaNone, true, "10 mins", kRegisterViaAuto, true},
        {false, true, "1 hour", kRegisterViaWan, false, "1 hour", kRegisterViaWan, false},
        {false, true, "", kRegisterViaNone, false, "", kRegisterViaNone, false},
        {true, false, "10 mins", kRegisterViaAuto, false, "10 mins", kRegisterViaAuto, true},
        {true, false, "1 day", kRegisterViaNone, true, "1 day", kRegisterViaNone, false},
        {true, false, "8 hours", kRegisterViaLanVpn, true, "8 hours", kRegisterViaLanVpn, true},
        {true, true, "1 day", kRegisterViaWan, false, "1 day", kRegisterViaWan, false},
    };
    const LanguageTable english = testing::ShippedEnglish();
    for (const Case& c : cases) {
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

        sip.SetTwoPort(c.toTwoPort);
        BringSettingsToRouterForm(sip, codec, c.fromTwoPort);

        const std::string label = c.expiry + (c.toTwoPort ? " to two-port" : " to one-port");
        for (const ChoiceList* list : {&sip.Port1Expiry(), &sip.Port2Expiry()}) {
            EXPECT_EQ(list->Count(), c.toTwoPort ? kTwoPortExpiryCount : kFullExpiryCount) << label;
            EXPECT_EQ(list->SelectedText(), c.expiryAfter) << label;
        }
        EXPECT_EQ(sip.Port1RegisterVia().Selected(), c.viaAfter) << label;
        EXPECT_EQ(sip.UseRegistrar(), c.useRegistrarAfter) << label;
        EXPECT_EQ(codec.Codec().Count(), c.toTwoPort ? 5 : kOnePortCodecCount) << label;
    }
}

}  // namespace
}  // namespace dezadav
