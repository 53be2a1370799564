#include "settings/settings_json.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "settings/router_form_change.h"
#include "settings/settings_file.h"
#include "settings/settings_file_fields.h"
#include "support/english_language.h"

namespace dezadav {
namespace {

using testing::ShippedEnglish;

class SettingsJsonTest : public ::testing::Test {
protected:
    // The settings text (without a call log) of random settings in `twoPort`'s form.
    std::string RandomSettings(unsigned seed, bool twoPort) {
        std::mt19937 rng(seed);
        const auto word = [&](const std::string& alphabet) {
            std::string text;
            for (int n = 1 + static_cast<int>(rng() % 8); n > 0; --n) text += alphabet[rng() % alphabet.size()];
            return text;
        };
        DialPlanTable dialPlan;
        SipSettings sip(lang);
        CodecSettings codec(lang);
        if (twoPort) {
            sip.SetTwoPort(true);
            BringSettingsToRouterForm(sip, codec, false);
        } else {
            codec.LimitCodecChoicesToOnePort();
        }
        const LoopThrough loops[] = {LoopThrough::Isdn, LoopThrough::Pstn, LoopThrough::None};
        for (int p = 0; p < kDialPlanEntryCount; p += 1 + static_cast<int>(rng() % 9)) {
            dialPlan.SetEntry(p, DialPlanEntry{"", word("0123456789"), word("ab ,\";LIST"), word("ab@c.;,"),
                                               twoPort ? std::nullopt : std::optional(loops[rng() % 3]),
                                               twoPort ? "" : word("0123"),
                                               rng() % 2 ? "V" : "-"});
        }
        sip.SetRegistrar(word("abc.;,"));
        sip.SetPort1Password(word("xy;,!"));
        if (twoPort) sip.SetPort2UserName(word("xy12"));
        sip.Port1Expiry().Select(static_cast<int>(rng() % sip.Port1Expiry().Count()));
        if (twoPort) sip.Port2RegisterVia().Select(static_cast<int>(rng() % 4));
        sip.SetUseRegistrar(!twoPort && rng() % 2 == 0);
        codec.Codec().Select(static_cast<int>(rng() % codec.Codec().Count()));
        codec.SetDtmfMode(static_cast<int>(rng() % 3));
        return DialPlanFileText(dialPlan) + SipFileText(sip) + CodecFileText(codec);
    }

    std::string Json(const std::string& text, bool twoPort, bool secrets = true) {
        return SettingsJsonFromText(text, twoPort, twoPort ? "DZV-R5730K" : "DZV-R5830K", secrets, words).value_or("");
    }

    LanguageTable lang = ShippedEnglish();
    SettingsFileWords words = AllSettingsFileWords(lang);
};

// A document holds every value of the file: file -> document -> file gives the file back, and the
// document of a router applied back over that router is the router itself.
TEST_F(SettingsJsonTest, DocumentsAndFilesConvertWithoutLoss) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const bool twoPort = seed % 2 == 0;
        const std::string text = RandomSettings(seed, twoPort);
        const std::string json = Json(text, twoPort);
        ASSERT_FALSE(json.empty()) << "seed " << seed;
        EXPECT_EQ(SettingsJsonIsTwoPort(json), twoPort);
        const SettingsJsonRead whole = ReadSettingsJson(json, {}, twoPort, true, words);
        ASSERT_FALSE(whole.problem) << "seed " << seed << ": " << *whole.problem;
        EXPECT_EQ(whole.text, text) << "seed " << seed;
        const SettingsJsonRead over = ReadSettingsJson(Json(text, twoPort, false), text, twoPort, false, words);
        ASSERT_FALSE(over.problem) << *over.problem;
        EXPECT_EQ(over.text, text) << "a document without passwords keeps the router's";
    }
}

TEST_F(SettingsJsonTest, APartialDocumentChangesOnlyWhatItNames) {
    const std::string base = RandomSettings(7, true);
    const SettingsJsonRead read = ReadSettingsJson(
        R"({"sip": {"registrar": "new.example.net"}, "dialPlan": [{"index": 1, "phone": ""}, {"index": 2, "name": "Bob"}]})",
        base, true, false, words);
    ASSERT_FALSE(read.problem) << *read.problem;
    const auto before = SplitSettingsFileLines(base, 0, base.size());
    const auto after = SplitSettingsFileLines(read.text, 0, read.text.size());
    ASSERT_EQ(before.size(), after.size());
    const std::map<std::pair<std::size_t, std::size_t>, std::string> changed = {
        {{1, 1}, ""}, {{1, 2}, ""}, {{1, 3}, ""}, {{1, 6}, "-"}, {{2, 2}, "Bob"}, {{63, 1}, "new.example.net"}};
    for (std::size_t line = 0; line < before.size(); ++line) {
        ASSERT_EQ(before[line].fields.size(), after[line].fields.size()) << "line " << line + 1;
        for (std::size_t k = 0; k < before[line].fields.size(); ++k) {
            const auto found = changed.find({line + 1, k});
            EXPECT_EQ(after[line].fields[k], found == changed.end() ? before[line].fields[k] : found->second)
                << "line " << line + 1 << " field " << k;
        }
    }
}

TEST_F(SettingsJsonTest, RefusalsNameTheJsonPath) {
    const std::string base = RandomSettings(3, true);
    const std::pair<std::string, std::string> cases[] = {
        {R"({"sip": {"ports": [{"expiry": "abc"}]}})", "/sip/ports/0/expiry: \"abc\" is not one of 10 mins"},
        {R"({"sip": {"registrar": "a b"}})", "/sip/registrar: \"a b\" cannot be sent"},
        {R"({"codec": {"rtpPortEnd": "70000"}})", "/codec/rtpPortEnd: \"70000\" is not a number from 1 to 65535"},
        {R"({"dialPlan": [{"index": 61}]})", "/dialPlan/0/index: is not a number from 1 to 60"},
        {R"({"dialPlan": [{"index": 5, "phone": "12", "loop": "ISDN"}]})", "/dialPlan/0/loop: is no field"},
        {R"({"codec": {"codec": "G.711A"}})", "/codec/codec: \"G.711A\" is not one of"},
        {R"({"sip": {"port": 5060}})", "/sip/port: is not a text"},
        {R"({"sip": {"registrr": "x"}})", "/sip/registrr: is no field of the SIP group"},
        {R"({"sip": {"ports": [{"expires": "1 hour"}]}})", "/sip/ports/0/expires: is no field of a SIP port"},
        {R"({"codec": {"dtmf": "Inband"}})", "/codec/dtmf: is no field of the codec group"},
        {R"({"sip": )", "is no JSON document"},
    };
    for (const auto& [document, start] : cases) {
        const SettingsJsonRead read = ReadSettingsJson(document, base, true, false, words);
        ASSERT_TRUE(read.problem) << document;
        EXPECT_EQ(read.problem->rfind(start, 0), 0u) << *read.problem;
    }
    const SettingsJsonRead partial = ReadSettingsJson(R"({"sip": {"registrar": "r"}})", base, true, true, words);
    ASSERT_TRUE(partial.problem);
    EXPECT_EQ(*partial.problem, "/sip/port: is missing") << "with --replace every field is needed";
}

}  // namespace
}  // namespace dezadav
