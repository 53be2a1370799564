#include "settings/settings_difference.h"

#include <gtest/gtest.h>

#include "support/english_language.h"

namespace dezadav {
namespace {

struct Settings {
    explicit Settings(const LanguageTable& lang) : sip(lang), codec(lang) {}
    SettingsView View() const { return {dialPlan, sip, codec}; }
    DialPlanTable dialPlan;
    SipSettings sip;
    CodecSettings codec;
};

DialPlanEntry Entry(std::string phone, std::string name, std::optional<LoopThrough> loop) {
    DialPlanEntry entry;
    entry.phoneNumber = std::move(phone);
    entry.name = std::move(name);
    entry.sipAddress = "p0@example.test";
    entry.loopThrough = loop;
    entry.statusMark = "V";
    return entry;
}

std::vector<std::string> Lines(const std::vector<FieldDifference>& differences) {
    std::vector<std::string> lines;
    for (const FieldDifference& difference : differences) lines.push_back(DifferenceLine(difference));
    return lines;
}

// Each router form compares what it keeps, in page order and page words; secrets stay hidden unless
// asked for; names take part only where asked for.
TEST(SettingsDifferenceTest, NamesEveryChangedFieldInThePagesWords) {
    const LanguageTable lang = testing::ShippedEnglish();
    Settings before(lang);
    Settings after(lang);
    before.dialPlan.SetEntry(11, Entry("777", "", LoopThrough::Isdn));
    before.dialPlan.SetEntry(20, Entry("555", "Ann", LoopThrough::Isdn));
    after.dialPlan.SetEntry(20, Entry("555", "Bob", LoopThrough::Pstn));
    after.dialPlan.SetEntry(2, Entry("5551234", "", std::nullopt));
    after.sip.SetSipPort("5070");
    after.sip.SetPort1Password("secret");
    after.sip.Port1Expiry().Select(4);
    after.sip.SetPort2UserName("p9");
    after.codec.SetDtmfMode(kDtmfSipInfo);
    after.codec.SetRtpPortEnd("");

    struct Case {
        CompareOptions options;
        std::vector<std::string> lines;
    };
    const std::string common[] = {"SIP · SIP Port: 5060 → 5070"};
    const std::vector<Case> cases = {
        {{false, true, false},
         {"Dial Plan 3 · Phone Number: (empty) → 5551234", "Dial Plan 3 · SIP Address: (empty) → p0@example.test",
          "Dial Plan 3 · Status: (empty) → V", "Dial Plan 12 · Phone Number: 777 → (deleted)",
          "Dial Plan 21 · Name: Ann → Bob", "Dial Plan 21 · Loop Through: ISDN → PSTN", common[0],
          "SIP · Port 1 · Password: (empty) → ********", "SIP · Port 1 · Expiry Time: 2 hours → 1 hour",
          "DTMF · DTMF: InBand → SIP INFO", "RTP · Dynamic RTP port end: " + before.codec.RtpPortEnd() + " → (empty)"}},
        {{true, false, true},
         {"Dial Plan 3 · Phone Number: (empty) → 5551234", "Dial Plan 3 · SIP Address: (empty) → p0@example.test",
          "Dial Plan 3 · Status: (empty) → V", "Dial Plan 12 · Phone Number: 777 → (deleted)", common[0],
          "SIP · Port 1 · Password: (empty) → secret", "SIP · Port 1 · Expiry Time: 2 hours → 1 hour",
          "SIP · Port 2 · Name: p1 → p9", "DTMF · DTMF: InBand → SIP INFO",
          "RTP · Dynamic RTP port end: " + before.codec.RtpPortEnd() + " → (empty)"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Lines(CompareSettings(before.View(), after.View(), c.options, lang)), c.lines)
            << "two-port " << c.options.twoPort;
    }
    EXPECT_TRUE(CompareSettings(after.View(), after.View(), {}, lang).empty());
}

}  // namespace
}  // namespace dezadav
