#include "settings/sip_settings.h"
#include "settings/settings_file_fields.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "router_lines.h"
#include "settings/sip_codec_row_text.h"
#include "support/english_language.h"

namespace dezadav {
namespace {

using testing::PrefixedEnglish;
using testing::RouterLines;
using testing::ShippedEnglish;

const std::vector<std::string> kFullTimes = {"3 mins",  "5 mins",  "10 mins", "30 mins",  "1 hour",
                                             "2 hours", "4 hours", "8 hours", "16 hours", "1 day"};
const std::vector<std::string> kTwoPortTimes(kFullTimes.begin() + 2, kFullTimes.end());

// A row text's fields as the settings file reader cuts them.
std::vector<std::string> SplitRowLikeFileReader(const std::string& row) {
    return SplitSettingsFileLines(row, 0, row.size()).at(0).fields;
}

TEST(SipLanguageKeysTest, ListKeysResolveInTheShippedEnglishFile) {
    const LanguageTable shipped = ShippedEnglish();
    for (const auto* keys : {&kSipPort1TimeKeys, &kSipPort2TimeKeys}) {
        for (std::string_view key : *keys) EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
    }
    for (const auto* keys : {&kSipPort1ViaKeys, &kSipPort2ViaKeys}) {
        for (std::string_view key : *keys) EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
    }
    for (std::string_view key : {"SIP_UserName1", "SIP_UserName2", "SIP_5870Name"}) {
        EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
    }
}

class SipSettingsTest : public ::testing::Test {
protected:
    LanguageTable english = ShippedEnglish();
    SipSettings sip{english};
};

TEST_F(SipSettingsTest, PageCreationDefaults) {
    EXPECT_EQ(sip.SipFields(),
              (std::vector<std::string>{"5060", "", "0", "p0", "", "5", "0", "p1", "", "5"}));
    EXPECT_EQ(sip.SipRowText(), "5060,,0,p0,,5,0,p1,,5\r\n");
    EXPECT_EQ(sip.Port1Expiry().Entries(), kFullTimes);
    EXPECT_EQ(sip.Port1Expiry().SelectedText(), "2 hours");
    EXPECT_EQ(sip.Port2Expiry().SelectedText(), "2 hours");
    EXPECT_EQ(sip.Port1RegisterVia().Entries(), (std::vector<std::string>{"None", "Auto", "WAN", "LAN/VPN"}));
    EXPECT_EQ(sip.Port2RegisterVia().SelectedText(), "None");
    EXPECT_FALSE(sip.UseRegistrar());
    EXPECT_FALSE(sip.IsTwoPort());
    EXPECT_EQ(sip.Port1UserNameLabelKey(), "SIP_UserName1");
}

TEST(ExpiryPositionForSecondsTest, BoundariesOfBothForms) {
    struct Case {
        std::int32_t seconds;
        int onePort;
        int twoPort;
    };
    const Case cases[] = {
        {0, 0, 0},     {100, 0, 0},   {180, 0, 0},   {181, 1, 0},       {300, 1, 0},       {301, 2, 0},
        {600, 2, 0},   {601, 3, 1},   {1800, 3, 1},  {3600, 4, 2},      {3601, 5, 3},      {7200, 5, 3},
        {7201, 6, 4},  {14400, 6, 4}, {28800, 7, 5}, {57600, 8, 6},     {57601, 9, 7},     {86400, 9, 7},
        {86401, 5, 3}, {-1, 5, 3},    {-600, 5, 3},  {INT32_MIN, 5, 3}, {INT32_MAX, 5, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpiryPositionForSeconds(c.seconds, false), c.onePort) << c.seconds;
        EXPECT_EQ(ExpiryPositionForSeconds(c.seconds, true), c.twoPort) << c.seconds;
    }
}

TEST_F(SipSettingsTest, ReadsAFullEndpointOutput) {
    const std::string out = RouterLines(
        {"Endpoint 1", "  name: alice", "  registrar: 1", "  password: s3cret", "  seconds: 1800"});
    ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1UserName(), "alice");
    EXPECT_EQ(sip.Port1Password(), "s3cret");
    EXPECT_EQ(sip.Port1RegisterVia().Selected(), 1);
    EXPECT_TRUE(sip.UseRegistrar());
    EXPECT_EQ(sip.Port1Expiry().SelectedText(), "30 mins");
    // Port 2 is untouched by the port-1 output.
    EXPECT_EQ(sip.Port2UserName(), "p1");
    EXPECT_EQ(sip.SipRowText(), "5060,,1,alice,s3cret,3,0,p1,,5\r\n");
    EXPECT_EQ(sip.Port1UserNameLabelKey(), "SIP_5870Name");
}

TEST_F(SipSettingsTest, SecondsSelectTheSameTimeInBothForms) {
    SipSettings twoPort(english);
    twoPort.SetTwoPort(true);
    for (const auto& [seconds, text] : std::vector<std::pair<std::string, std::string>>{
             {"3600", "1 hour"}, {"3601", "2 hours"}, {"86401", "2 hours"}, {"-5", "2 hours"}, {"abc", ""}}) {
        const std::string out = RouterLines({"seconds: " + seconds});
        ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Endpoint, 1));
        ASSERT_TRUE(twoPort.ParseSipOutput(out, SipOutputKind::Endpoint, 1));
        if (text.empty()) {
            // Not a number: reads 0, the shortest entry of each form.
            EXPECT_EQ(sip.Port1Expiry().SelectedText(), "3 mins");
            EXPECT_EQ(twoPort.Port1Expiry().SelectedText(), "10 mins");
        } else {
            EXPECT_EQ(sip.Port1Expiry().SelectedText(), text) << seconds;
            EXPECT_EQ(twoPort.Port1Expiry().SelectedText(), text) << seconds;
        }
        EXPECT_EQ(sip.Port1Expiry().Entries(), kFullTimes);
        EXPECT_EQ(twoPort.Port1Expiry().Entries(), kTwoPortTimes);
    }
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"seconds: 100"}), SipOutputKind::Endpoint, 1));
    ASSERT_TRUE(twoPort.ParseSipOutput(RouterLines({"seconds: 100"}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1Expiry().SelectedText(), "3 mins");
    EXPECT_EQ(twoPort.Port1Expiry().SelectedText(), "10 mins");
    EXPECT_EQ(twoPort.SipFields()[5], "0");
}

TEST_F(SipSettingsTest, TwoPortParseTrimsBothListsKeepingTheChosenTime) {
    sip.SetTwoPort(true);
    sip.Port2Expiry().Select(7);  // "8 hours" in the ten-entry list
    sip.Port1Expiry().Select(1);  // "5 mins": not offered by two-port routers
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"nothing here"}), SipOutputKind::Port, 1));
    EXPECT_EQ(sip.Port1Expiry().Entries(), kTwoPortTimes);
    EXPECT_EQ(sip.Port2Expiry().Entries(), kTwoPortTimes);
    EXPECT_EQ(sip.Port2Expiry().SelectedText(), "8 hours");
    EXPECT_EQ(sip.Port2Expiry().Selected(), 5);
    EXPECT_EQ(sip.Port1Expiry().Selected(), -1);
    EXPECT_EQ(sip.Port1UserNameLabelKey(), "SIP_UserName1");
    EXPECT_EQ(sip.SipFields()[9], "5");

    // A one-port router afterwards gets the two short times back, port-1 texts in both lists.
    LanguageTable marked = PrefixedEnglish("x-");
    SipSettings other(marked);
    other.SetTwoPort(true);
    ASSERT_TRUE(other.ParseSipOutput(RouterLines({"seconds: 600"}), SipOutputKind::Endpoint, 2));
    other.SetTwoPort(false);
    ASSERT_TRUE(other.ParseSipOutput(RouterLines({"seconds: 300"}), SipOutputKind::Endpoint, 2));
    ASSERT_EQ(other.Port2Expiry().Count(), 10);
    EXPECT_EQ(other.Port2Expiry().Entries()[0], "x-3 mins");
    EXPECT_EQ(other.Port2Expiry().Entries()[1], "x-5 mins");
    EXPECT_EQ(other.Port2Expiry().Selected(), 1);
    // Without "seconds:" a one-port parse leaves a two-port list as it is.
    EXPECT_EQ(other.Port1Expiry().Count(), 8);
}

TEST_F(SipSettingsTest, OneKeywordAndValuePerLine) {
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"registrar: 1 name: bob"}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1RegisterVia().Selected(), 1);
    EXPECT_EQ(sip.Port1UserName(), "p0");

    // A keyword ending its line takes the first word of the next line; the rest of that line is
    // skipped too.
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"name:", "carol password: x"}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1UserName(), "carol");
    EXPECT_EQ(sip.Port1Password(), "");

    // A next line beginning with a space gives an empty value.
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"name:", " dave"}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1UserName(), "");
    // That empty value belongs to the line before, so the next line is still read whole.
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"password:", " name: erin"}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1Password(), "");
    EXPECT_EQ(sip.Port1UserName(), "erin");

    // Runs of spaces between words make no empty words; a value is taken whatever it says.
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"x    name:     seconds:"}), SipOutputKind::Endpoint, 2));
    EXPECT_EQ(sip.Port2UserName(), "seconds:");
    EXPECT_EQ(sip.Port2Expiry().Selected(), 5);
}

TEST_F(SipSettingsTest, KeywordsMatchExactlyAndOnlyForTheirKind) {
    const std::string out =
        RouterLines({"Name: eve", "NAME: eve", "number: 5070", "Now: reg.example", "name:x"});
    ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.SipRowText(), "5060,,0,p0,,5,0,p1,,5\r\n");

    ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "5070");
    EXPECT_EQ(sip.Registrar(), "");
    ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Registrar, 1));
    EXPECT_EQ(sip.Registrar(), "reg.example");
    EXPECT_EQ(sip.Port1UserName(), "p0");
}

TEST_F(SipSettingsTest, CrLfEndedOutputIsOneLine) {
    const std::string out = "name: frank\r\npassword: pw\r\nseconds: 60\r\n";
    ASSERT_TRUE(sip.ParseSipOutput(out, SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1UserName(), "frank");
    EXPECT_EQ(sip.Port1Password(), "");
    EXPECT_EQ(sip.Port1Expiry().Selected(), 5);
}

TEST_F(SipSettingsTest, UnterminatedLastWordIsNotTaken) {
    ASSERT_TRUE(sip.ParseSipOutput("number: 5080", SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "5060");
    ASSERT_TRUE(sip.ParseSipOutput("number: 5080 ", SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "5080");
    ASSERT_TRUE(sip.ParseSipOutput("number: 5090\n\r", SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "5090");
}

TEST_F(SipSettingsTest, OnePortRegistrarValueDrivesUseRegistrar) {
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"registrar: 1"}), SipOutputKind::Endpoint, 1));
    EXPECT_TRUE(sip.UseRegistrar());
    EXPECT_EQ(sip.SipFields()[2], "1");
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"registrar: 2"}), SipOutputKind::Endpoint, 1));
    EXPECT_TRUE(sip.UseRegistrar());
    EXPECT_EQ(sip.SipFields()[2], "1");
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"registrar: 0"}), SipOutputKind::Endpoint, 1));
    EXPECT_FALSE(sip.UseRegistrar());
    EXPECT_EQ(sip.SipFields()[2], "0");
    // Outside 0..3 nothing changes, however large.
    sip.Port1RegisterVia().Select(3);
    for (const char* value : {"4", "-1", "4294967296", "99999999999999999999"}) {
        ASSERT_TRUE(sip.ParseSipOutput(RouterLines({std::string("registrar: ") + value}),
                                       SipOutputKind::Endpoint, 1));
        EXPECT_EQ(sip.Port1RegisterVia().Selected(), 3) << value;
    }
    // Port 2's value never touches use-registrar; one-port rows always carry 0 for port 2.
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"registrar: 1"}), SipOutputKind::Endpoint, 2));
    EXPECT_FALSE(sip.UseRegistrar());
    EXPECT_EQ(sip.Port2RegisterVia().Selected(), 1);
    EXPECT_EQ(sip.SipFields()[6], "0");
    sip.SetTwoPort(true);
    EXPECT_EQ(sip.SipFields()[6], "1");
    EXPECT_EQ(sip.SipFields()[2], "3");
}

TEST_F(SipSettingsTest, NothingToReadReturnsFalseAndChangesNothing) {
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"number: 5070"}), SipOutputKind::Port, 1));
    sip.SetSipPort("6000");
    EXPECT_FALSE(sip.ParseSipOutput("", SipOutputKind::Port, 1));
    EXPECT_FALSE(sip.ParseSipOutput("number: 1 \n\r", 0, 0, SipOutputKind::Port, 1));
    EXPECT_FALSE(sip.ParseSipOutput("number: 1 \n\r", 50, 10, SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "6000");
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"no keywords"}), SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "6000");
}

TEST_F(SipSettingsTest, ReadsOnlyTheGivenRange) {
    const std::string text = "number: 1111 number: 2222 ";
    ASSERT_TRUE(sip.ParseSipOutput(text, 13, 13, SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "2222");
    // A length past the end is clamped to the text.
    ASSERT_TRUE(sip.ParseSipOutput(text, 0, 1000, SipOutputKind::Port, 1));
    EXPECT_EQ(sip.SipPort(), "1111");
}

TEST_F(SipSettingsTest, LongValuesStayWhole) {
    const std::string longName(5000, 'n');
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"name: " + longName}), SipOutputKind::Endpoint, 1));
    EXPECT_EQ(sip.Port1UserName(), longName);
}

TEST_F(SipSettingsTest, LoadSipRowSetsEveryValue) {
    sip.LoadSipRow(
        std::vector<std::string>{"5070", "reg", "1", "u1", "pw1", "9", "2", "u2", "pw2", "0", "extra"});
    EXPECT_EQ(sip.SipFields(),
              (std::vector<std::string>{"5070", "reg", "1", "u1", "pw1", "9", "0", "u2", "pw2", "0"}));
    EXPECT_TRUE(sip.UseRegistrar());
    EXPECT_EQ(sip.Port2RegisterVia().Selected(), 2);
    EXPECT_EQ(sip.Port1Expiry().SelectedText(), "1 day");

    // Register-via numbers other than 0 and 1 leave the use-registrar box alone.
    for (const char* n : {"2", "3", "-1", "7"}) {
        sip.LoadSipField(SipField::Port1Registration, n);
        EXPECT_TRUE(sip.UseRegistrar()) << n;
    }
    EXPECT_EQ(sip.Port1RegisterVia().Selected(), -1);
    sip.LoadSipField(SipField::Port1Registration, "0");
    EXPECT_FALSE(sip.UseRegistrar());

    // A shorter row changes only its fields.
    sip.LoadSipRow(std::vector<std::string>{"5080"});
    EXPECT_EQ(sip.SipPort(), "5080");
    EXPECT_EQ(sip.Registrar(), "reg");
}

TEST_F(SipSettingsTest, OnePortFileLoadedIntoTwoPortLists) {
    sip.SetTwoPort(true);
    ASSERT_TRUE(sip.ParseSipOutput(RouterLines({"seconds: 3600"}), SipOutputKind::Endpoint, 1));
    sip.LoadSipField(SipField::Port1Expiry, "5");
    EXPECT_EQ(sip.Port1Expiry().SelectedText(), "8 hours");
    sip.LoadSipField(SipField::Port2Expiry, "8");
    EXPECT_EQ(sip.Port2Expiry().Selected(), -1);
    EXPECT_EQ(sip.SipFields()[9], "-1");
    sip.LoadSipField(SipField::Port2Expiry, "9");
    EXPECT_EQ(sip.Port2Expiry().Selected(), -1);
    // The two-port row takes field 3 from the register-via list, not from use-registrar.
    sip.SetUseRegistrar(true);
    sip.Port1RegisterVia().Select(2);
    EXPECT_EQ(sip.SipFields()[2], "2");
}

TEST_F(SipSettingsTest, RecaptionRefillsListsInTheRoutersForm) {
    LanguageTable language = ShippedEnglish();
    SipSettings settings(language);
    settings.Port1RegisterVia().Select(3);
    settings.Port1Expiry().Select(8);
    settings.Port2Expiry().Select(2);
    language = PrefixedEnglish("zz-");
    settings.Recaption();
    EXPECT_EQ(settings.Port1RegisterVia().Entries(),
              (std::vector<std::string>{"zz-None", "zz-Auto", "WAN", "LAN/VPN"}));
    EXPECT_EQ(settings.Port2RegisterVia().Entries()[1], "zz-Auto");
    EXPECT_EQ(settings.Port1RegisterVia().Selected(), 3);
    EXPECT_EQ(settings.Port1Expiry().Count(), 10);
    EXPECT_EQ(settings.Port1Expiry().SelectedText(), "zz-16 hours");
    EXPECT_EQ(settings.Port2Expiry().SelectedText(), "zz-10 mins");
    EXPECT_EQ(settings.Port1UserNameLabelKey(), "SIP_5870Name");

    settings.SetTwoPort(true);
    settings.Recaption();
    EXPECT_EQ(settings.Port1Expiry().Count(), 8);
    EXPECT_EQ(settings.Port1Expiry().Entries().front(), "zz-10 mins");
    EXPECT_EQ(settings.Port1Expiry().Selected(), -1);  // position 8 is beyond the eight entries
    EXPECT_EQ(settings.Port2Expiry().Selected(), 2);
    EXPECT_EQ(settings.Port1UserNameLabelKey(), "SIP_UserName1");
}

// Sets every value of `s` from `rng`, in the lists' current form; texts never hold "," CR or LF
// when `rowSafe` (they must survive the row text), otherwise any byte.
void RandomizeSip(SipSettings& s, std::mt19937& rng, bool rowSafe) {
    auto text = [&]() {
        std::string t;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) {
            char c = static_cast<char>(rng() % 256);
            if (rowSafe && (c == ',' || c == '\r' || c == '\n')) c = 'q';
            t += c;
        }
        return t;
    };
    auto position = [&](const ChoiceList& list) { return static_cast<int>(rng() % (list.Count() + 1)) - 1; };
    s.SetSipPort(text());
    s.SetRegistrar(text());
    s.SetPort1UserName(text());
    s.SetPort1Password(text());
    s.SetPort2UserName(text());
    s.SetPort2Password(text());
    s.SetUseRegistrar(rng() % 2 == 0);
    s.Port1RegisterVia().Select(position(s.Port1RegisterVia()));
    s.Port2RegisterVia().Select(position(s.Port2RegisterVia()));
    s.Port1Expiry().Select(position(s.Port1Expiry()));
    s.Port2Expiry().Select(position(s.Port2Expiry()));
}

TEST_F(SipSettingsTest, RowLoadRoundTripsOverRandomStates) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const bool twoPort = round % 2 == 1;
        SipSettings saved(english);
        saved.SetTwoPort(twoPort);
        saved.BringExpiryListToForm(saved.Port1Expiry());
        saved.BringExpiryListToForm(saved.Port2Expiry());
        SipSettings loaded = saved;
        const bool rowSafe = round % 4 < 2;
        RandomizeSip(saved, rng, rowSafe);
        RandomizeSip(loaded, rng, rowSafe);

        const std::vector<std::string> fields = saved.SipFields();
        ASSERT_EQ(fields.size(), kSipRowFieldCount);
        loaded.LoadSipRow(fields);
        ASSERT_EQ(loaded.SipFields(), fields) << "round " << round;
        ASSERT_EQ(loaded.SipRowText(), saved.SipRowText());
        if (rowSafe) {
            // The same through the row text, split as the settings file reader splits it.
            SipSettings fromText = loaded;
            RandomizeSip(fromText, rng, true);
            fromText.LoadSipRow(SplitRowLikeFileReader(saved.SipRowText()));
            ASSERT_EQ(fromText.SipRowText(), saved.SipRowText()) << "round " << round;
        }
    }
}

TEST_F(SipSettingsTest, RowReflectsEveryParsedValue) {
    // Output printed from random values reads back to exactly those values.
    std::mt19937 rng(777);
    for (int round = 0; round < 200; ++round) {
        const bool twoPort = round % 2 == 0;
        SipSettings s(english);
        s.SetTwoPort(twoPort);
        auto word = [&]() {
            std::string w = "v";
            const int n = static_cast<int>(rng() % 10);
            for (int i = 0; i < n; ++i) w += static_cast<char>('!' + rng() % 94);
            // Printed values carry no comma here: the check splits the row text at commas.
            for (char& c : w) c = c == ',' ? 'c' : c;
            return w;
        };
        const std::string name1 = word(), pass1 = word(), name2 = word(), pass2 = word(), port = word(),
                          registrar = word();
        const int via1 = static_cast<int>(rng() % 4), via2 = static_cast<int>(rng() % 4);
        const std::int32_t secs1 = static_cast<std::int32_t>(rng() % 100000) - 100;
        const std::int32_t secs2 = static_cast<std::int32_t>(rng() % 100000) - 100;
        ASSERT_TRUE(
            s.ParseSipOutput(RouterLines({"  name: " + name1, "  registrar: " + std::to_string(via1),
                                          "  password: " + pass1, "  seconds: " + std::to_string(secs1)}),
                             SipOutputKind::Endpoint, 1));
        if (twoPort) {
            ASSERT_TRUE(
                s.ParseSipOutput(RouterLines({"name: " + name2, "registrar: " + std::to_string(via2),
                                              "password: " + pass2, "seconds: " + std::to_string(secs2)}),
                                 SipOutputKind::Endpoint, 2));
        }
        ASSERT_TRUE(s.ParseSipOutput(RouterLines({"SIP port number: " + port}), SipOutputKind::Port, 1));
        ASSERT_TRUE(s.ParseSipOutput(RouterLines({"Now: " + registrar}), SipOutputKind::Registrar, 1));
        const std::vector<std::string> fields = SplitRowLikeFileReader(s.SipRowText());
        ASSERT_EQ(fields.size(), kSipRowFieldCount);
        EXPECT_EQ(fields[0], port);
        EXPECT_EQ(fields[1], registrar);
        EXPECT_EQ(fields[2], std::to_string(twoPort ? via1 : (via1 == 1 ? 1 : 0)));
        EXPECT_EQ(fields[3], name1);
        EXPECT_EQ(fields[4], pass1);
        const int first = twoPort ? 2 : 0;
        const int expiry1 = std::stoi(fields[5]);
        ASSERT_GE(expiry1, 0);
        // The chosen time is the shortest that covers the reported seconds (or 2 hours above a day).
        const std::uint32_t chosen1 = kExpirySeconds[static_cast<std::size_t>(expiry1 + first)];
        if (static_cast<std::uint32_t>(secs1) <= 86400) {
            EXPECT_GE(chosen1, static_cast<std::uint32_t>(secs1));
            if (expiry1 > 0) {
                EXPECT_LT(kExpirySeconds[static_cast<std::size_t>(expiry1 + first - 1)],
                          static_cast<std::uint32_t>(secs1));
            }
        } else {
            EXPECT_EQ(chosen1, 7200u);
        }
        if (twoPort) {
            EXPECT_EQ(fields[6], std::to_string(via2));
            EXPECT_EQ(fields[7], name2);
            EXPECT_EQ(fields[8], pass2);
        } else {
            EXPECT_EQ(fields[6], "0");
            EXPECT_EQ(fields[7], "p1");
        }
    }
}

}  // namespace
}  // namespace dezadav
