#include "session/apply_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/english_language.h"

namespace dezadav {
namespace {

DialPlanEntry Entry(std::string index, std::string phone, std::string sip,
                    std::optional<LoopThrough> loop = LoopThrough::None, std::string backup = "",
                    std::string status = "V", std::string name = "Somebody") {
    return DialPlanEntry{std::move(index),  std::move(phone), std::move(name), std::move(sip), loop,
                         std::move(backup), std::move(status)};
}

std::vector<std::string> Texts(const ApplyPlan& plan) {
    std::vector<std::string> texts;
    for (const ApplyCommand& command : plan.commands) texts.push_back(command.text);
    return texts;
}

// A plan that sends only dial-plan commands.
ApplyPlan DialPlanOnly(std::vector<DialPlanEntry> rows, bool twoPort) {
    ApplyTexts texts;
    texts.dialPlanRows = std::move(rows);
    return BuildApplyPlan({}, texts, twoPort);
}

const std::vector<std::string> kSipRow{"5062", "sip.example.net", "2", "alice", "pw1", "3", "1", "bob", "pw2",
                                       "0"};
const std::vector<std::string> kCodecRow{"1", "2", "0", "101", "10050", "15000"};

class ApplyCommandsTest : public ::testing::Test {
protected:
    static const LanguageTable& English() {
        static const LanguageTable english = testing::ShippedEnglish();
        return english;
    }
};

// ---------------------------------------------------------------- dial plan

TEST_F(ApplyCommandsTest, ClearedPhoneNumberDeletesTheEntryAndSendsNothingElseOfIt) {
    const ApplyPlan plan = DialPlanOnly({Entry("7", "", "user@host", LoopThrough::Isdn, "555", "V")}, false);
    EXPECT_EQ(std::vector<std::string>{"voip dial_plan del 7"}, Texts(plan));
    ASSERT_EQ(1u, plan.commands.size());
    EXPECT_EQ("Message_DelDialPlan", plan.commands[0].failure.key);
    EXPECT_EQ("Failed to Del DialPlan data on router!", plan.commands[0].failure.englishDefault);
}

TEST_F(ApplyCommandsTest, SetCommandCarriesFiveValuesOnTwoPortAndSevenOnOnePortModels) {
    const DialPlanEntry entry = Entry("12", "2101", "p0@10.20.0.1", LoopThrough::Pstn, "0800", "V");
    const ApplyPlan two = DialPlanOnly({entry}, true);
    EXPECT_EQ(std::vector<std::string>{"voip dial_plan set 12 2101 p0 10.20.0.1 1"}, Texts(two));
    const ApplyPlan one = DialPlanOnly({entry}, false);
    EXPECT_EQ(std::vector<std::string>{"voip dial_plan set 12 2101 p0 10.20.0.1 1 2 0800"}, Texts(one));
    EXPECT_EQ("Message_SetDialPlan", one.commands[0].failure.key);
    EXPECT_EQ("Failed to Set DialPlan data to router!", one.commands[0].failure.englishDefault);
}

TEST_F(ApplyCommandsTest, SipAddressSplitsAtItsFirstAtSignWithTheEmptyMarkerForNoUser) {
    const ApplyPlan plan =
        DialPlanOnly({Entry("1", "11", "@gw.example.net"), Entry("2", "22", "gw.example.net"),
                      Entry("3", "33", "office@10.0.0.2"), Entry("4", "44", "a@b@c"),
                      Entry("5", "55", "user@"), Entry("6", "66", "")},
                     true);
    EXPECT_EQ((std::vector<std::string>{
                  "voip dial_plan set 1 11 \"\" gw.example.net 1",
                  "voip dial_plan set 2 22 \"\" gw.example.net 1",
                  "voip dial_plan set 3 33 office 10.0.0.2 1",
                  "voip dial_plan set 4 44 a b@c 1",
                  // An empty domain is marked too, so the status cannot slip into its place.
                  "voip dial_plan set 5 55 user \"\" 1",
                  "voip dial_plan set 6 66 \"\" \"\" 1",
              }),
              Texts(plan));
}

TEST_F(ApplyCommandsTest, LoopThroughGoesOutAsItsCode) {
    const ApplyPlan plan =
        DialPlanOnly({Entry("1", "1", "d", LoopThrough::Isdn), Entry("2", "2", "d", LoopThrough::Pstn),
                      Entry("3", "3", "d", LoopThrough::None), Entry("4", "4", "d", std::nullopt)},
                     false);
    EXPECT_EQ((std::vector<std::string>{
                  "voip dial_plan set 1 1 \"\" d 1 1 \"\"", "voip dial_plan set 2 2 \"\" d 1 2 \"\"",
                  "voip dial_plan set 3 3 \"\" d 1 0 \"\"", "voip dial_plan set 4 4 \"\" d 1 0 \"\""}),
              Texts(plan));
}

TEST_F(ApplyCommandsTest, OnlyAnExactVMarksAnEnabledEntry) {
    const ApplyPlan plan = DialPlanOnly(
        {Entry("1", "1", "d", LoopThrough::None, "", "V"), Entry("2", "2", "d", LoopThrough::None, "", "-"),
         Entry("3", "3", "d", LoopThrough::None, "", "v"), Entry("4", "4", "d", LoopThrough::None, "", "V ")},
        true);
    EXPECT_EQ(
        (std::vector<std::string>{"voip dial_plan set 1 1 \"\" d 1", "voip dial_plan set 2 2 \"\" d 0",
                                  "voip dial_plan set 3 3 \"\" d 0", "voip dial_plan set 4 4 \"\" d 0"}),
        Texts(plan));
}

TEST_F(ApplyCommandsTest, RowsOutsideIndexOneToSixtySendNothing) {
    const ApplyPlan plan = DialPlanOnly({Entry("0", "1", "d"), Entry("61", "1", "d"), Entry("", "1", "d"),
                                         Entry("-3", "", "d"), Entry("60", "6060", "d"), Entry("1", "", "")},
                                        true);
    EXPECT_EQ((std::vector<std::string>{"voip dial_plan set 60 6060 \"\" d 1", "voip dial_plan del 1"}),
              Texts(plan));
}

TEST_F(ApplyCommandsTest, ValuesWithCommasStayWholeAndTheNameIsNeverSent) {
    const ApplyPlan plan = DialPlanOnly(
        {Entry("5", "12,34", "a,b@c,d", LoopThrough::Isdn, "5,6", "V", "Smith, John\x01")}, false);
    EXPECT_EQ(std::vector<std::string>{"voip dial_plan set 5 12,34 a,b c,d 1 1 5,6"}, Texts(plan));
    EXPECT_FALSE(plan.refusal);
}

// ---------------------------------------------------------------- SIP and codec

// A one-port router has no second voice port; it is sent its commands all the same, and may refuse them.
TEST_F(ApplyCommandsTest, SipRowGivesTenCommandsOnEveryModelWithExpiryOneHigherOnTwoPortModels) {
    ApplyTexts texts;
    texts.sipRow = kSipRow;
    texts.codecRow = kCodecRow;
    RouterSettings held;
    held.codecFields = kCodecRow;
    const std::vector<std::string> common{"voip sip port 5062", "voip sip registrar sip.example.net",
                                          "voip sip endpt1 use_reg 2", "voip sip endpt1 name alice",
                                          "voip sip endpt1 pass pw1"};
    std::vector<std::string> two = common;
    two.insert(two.end(),
               {"voip sip endpt1 expire 4", "voip sip endpt2 use_reg 1", "voip sip endpt2 name bob",
                "voip sip endpt2 pass pw2", "voip sip endpt2 expire 1"});
    std::vector<std::string> one = common;
    one.insert(one.end(), {"voip sip endpt1 expire 3", "voip sip endpt2 use_reg 1", "voip sip endpt2 name bob",
                           "voip sip endpt2 pass pw2", "voip sip endpt2 expire 0"});
    const ApplyPlan twoPlan = BuildApplyPlan(held, texts, true);
    EXPECT_EQ(two, Texts(twoPlan));
    EXPECT_TRUE(twoPlan.sendsSip);
    EXPECT_FALSE(twoPlan.sendsCodec);
    const ApplyPlan onePlan = BuildApplyPlan(held, texts, false);
    EXPECT_EQ(one, Texts(onePlan));
    for (std::size_t i = 0; i < onePlan.commands.size(); ++i) {
        EXPECT_EQ(i >= 6, onePlan.commands[i].refusalHarmless) << onePlan.commands[i].text;
        EXPECT_FALSE(twoPlan.commands[i].refusalHarmless);
    }
    for (const ApplyCommand& command : twoPlan.commands) {
        EXPECT_EQ("Message_SetSIP", command.failure.key);
        EXPECT_EQ("Failed to set SIP data to router!", command.failure.englishDefault);
    }
}

TEST_F(ApplyCommandsTest, EmptySipTextsAreMarkedAndNumbersAreLeadingDecimals) {
    ApplyTexts texts;
    texts.sipRow = {"", "", "", "", "", "9x", "-1", "", "", "abc"};
    EXPECT_EQ((std::vector<std::string>{"voip sip port \"\"", "voip sip registrar \"\"",
                                        "voip sip endpt1 use_reg 0", "voip sip endpt1 name \"\"",
                                        "voip sip endpt1 pass \"\"", "voip sip endpt1 expire 10",
                                        "voip sip endpt2 use_reg -1", "voip sip endpt2 name \"\"",
                                        "voip sip endpt2 pass \"\"", "voip sip endpt2 expire 1"}),
              Texts(BuildApplyPlan({}, texts, true)));
}

TEST_F(ApplyCommandsTest, CodecRowGivesSixCommandsWithOnlyThePortsMarkedWhenEmpty) {
    ApplyTexts texts;
    texts.codecRow = kCodecRow;
    const ApplyPlan plan = BuildApplyPlan({}, texts, false);
    EXPECT_EQ((std::vector<std::string>{"voip rtp codec type 1", "voip rtp codec size 2",
                                        "voip rtp dtmf mode 0", "voip rtp dtmf payloadtype 101",
                                        "voip rtp port start 10050", "voip rtp port end 15000"}),
              Texts(plan));
    for (const ApplyCommand& command : plan.commands) EXPECT_EQ("Message_SetCODEC", command.failure.key);

    texts.codecRow = {"", "", "", "", "", ""};
    EXPECT_EQ((std::vector<std::string>{"voip rtp codec type ", "voip rtp codec size ", "voip rtp dtmf mode ",
                                        "voip rtp dtmf payloadtype ", "voip rtp port start \"\"",
                                        "voip rtp port end \"\""}),
              Texts(BuildApplyPlan({}, texts, false)));
}

TEST_F(ApplyCommandsTest, AreasGoInOrderAndOnlyWhatDiffersFromTheRouterGoesOut) {
    ApplyTexts texts;
    texts.dialPlanRows = {Entry("3", "", ""), Entry("5", "55", "u@d")};
    RouterSettings held;
    held.sipFields = texts.sipRow = kSipRow;
    held.codecFields = texts.codecRow = kCodecRow;
    // Entry 5 as the router holds it but for the name, which the router never keeps.
    held.SetEntry(Entry("5", "55", "u@d", LoopThrough::None, "", "V", "Other name"), true);
    EXPECT_EQ(std::vector<std::string>{"voip dial_plan del 3"}, Texts(BuildApplyPlan(held, texts, true)));

    texts.codecRow[3] = "102";
    texts.sipRow[3] = "carol";
    const ApplyPlan plan = BuildApplyPlan(held, texts, true);
    ASSERT_EQ(1u + 10u + 6u, plan.commands.size());
    EXPECT_EQ(ApplyArea::DialPlan, plan.commands[0].area);
    EXPECT_EQ(ApplyArea::Sip, plan.commands[1].area);
    EXPECT_EQ("voip sip endpt1 name carol", plan.commands[4].text);
    EXPECT_EQ(ApplyArea::Codec, plan.commands[11].area);
    EXPECT_EQ("voip rtp dtmf payloadtype 102", plan.commands[14].text);

    // A comma moved from one value into the next leaves the joined row text alike but is a change.
    texts = ApplyTexts{};
    held = RouterSettings{};
    held.sipFields = kSipRow;
    held.sipFields[3] = "a,b";
    held.sipFields[4] = "c";
    texts.sipRow = held.sipFields;
    texts.sipRow[3] = "a";
    texts.sipRow[4] = "b,c";
    const ApplyPlan moved = BuildApplyPlan(held, texts, true);
    EXPECT_TRUE(moved.sendsSip);
    EXPECT_EQ("voip sip endpt1 name a", moved.commands.at(3).text);
    EXPECT_EQ("voip sip endpt1 pass b,c", moved.commands.at(4).text);
}

TEST_F(ApplyCommandsTest, AnySentValueThatIsNoSingleWordRefusesTheWholePlanNamingTheField) {
    struct Case {
        ApplyTexts texts;
        std::string field;
        std::string key;
    };
    std::vector<Case> cases;
    auto add = [&](auto edit, std::string field, std::string key = "Message_ControlByte") {
        ApplyTexts texts;
        texts.dialPlanRows = {Entry("4", "44", "u@d", LoopThrough::Isdn, "9", "V")};
        texts.sipRow = kSipRow;
        texts.codecRow = kCodecRow;
        edit(texts);
        cases.push_back({texts, std::move(field), std::move(key)});
    };
    // A space or a double quote would make the value two words, or open a quoted one.
    add([](ApplyTexts& t) { t.dialPlanRows[0].phoneNumber = "44 5"; }, "dial plan entry 4, phone number",
        "Message_NotOneWord");
    add([](ApplyTexts& t) { t.sipRow[1] = "my reg"; }, "SIP registrar", "Message_NotOneWord");
    add([](ApplyTexts& t) { t.sipRow[8] = "p\"w"; }, "SIP port 2 password", "Message_NotOneWord");
    add([](ApplyTexts& t) { t.dialPlanRows[0].phoneNumber = "44\r"; }, "dial plan entry 4, phone number");
    add([](ApplyTexts& t) { t.dialPlanRows[0].sipAddress = "u@d\nvoip dial_plan del 1"; },
        "dial plan entry 4, SIP address");
    add([](ApplyTexts& t) { t.dialPlanRows[0].backupNumber = std::string("9\0", 2); },
        "dial plan entry 4, backup number");
    add([](ApplyTexts& t) { t.sipRow[1] = "reg\x7f"; }, "SIP registrar");
    add([](ApplyTexts& t) { t.sipRow[4] = "p\tw"; }, "SIP port 1 password");
    add([](ApplyTexts& t) { t.codecRow[3] = "101\x1b"; }, "DTMF payload type");
    add([](ApplyTexts& t) { t.codecRow[5] = "15000\r"; }, "RTP end port");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const ApplyPlan plan = BuildApplyPlan({}, c.texts, false);
        ASSERT_TRUE(plan.refusal);
        EXPECT_EQ(c.key, plan.refusal->message.key);
        EXPECT_EQ(" (" + c.field + ")", plan.refusal->Detail(English()));
        // Named in the language the pages are shown in.
        if (c.field == "dial plan entry 4, phone number")
            EXPECT_EQ(" (拨号计划条目 4，电话号码)", plan.refusal->Detail(testing::ShippedEnglish(1)));
        EXPECT_TRUE(plan.commands.empty());
    }

    // Values that are not sent are not looked at: the name, a deleted entry's other fields, the
    // backup number of a two-port model, a SIP row that is not sent.
    ApplyTexts quiet;
    quiet.dialPlanRows = {Entry("4", "44", "u@d", LoopThrough::Isdn, "9\r", "V", "name\r"),
                          Entry("5", "", "\r", std::nullopt, "\r")};
    RouterSettings held;
    quiet.sipRow = held.sipFields = {"\r"};
    const ApplyPlan plan = BuildApplyPlan(held, quiet, true);
    EXPECT_FALSE(plan.refusal);
    EXPECT_EQ((std::vector<std::string>{"voip dial_plan set 4 44 u d 1", "voip dial_plan del 5"}),
              Texts(plan));
}

TEST_F(ApplyCommandsTest, ValuesOutsideWhatTheRouterTakesRefuseThePlanNamingFieldAndRange) {
    struct Case {
        int sipField;  // -1: none
        int codecField;
        std::string value;
        std::string detail;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {0, -1, "0", " (SIP port: 1-65535)"},       {0, -1, "65536", " (SIP port: 1-65535)"},
        {0, -1, "50 60", " (SIP port: 1-65535)"},   {0, -1, "65535", ""},
        {0, -1, "", ""},                            {0, -1, "060", ""},
        {-1, 4, "99999", " (RTP start port: 1-65535)"}, {-1, 5, "x", " (RTP end port: 1-65535)"},
        {-1, 3, "95", " (DTMF payload type: 96-127)"},  {-1, 3, "128", " (DTMF payload type: 96-127)"},
        {-1, 3, "96", ""},                          {-1, 3, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ApplyTexts texts;
        texts.sipRow = kSipRow;
        texts.codecRow = kCodecRow;
        if (c.sipField >= 0) texts.sipRow[static_cast<std::size_t>(c.sipField)] = c.value;
        if (c.codecField >= 0) texts.codecRow[static_cast<std::size_t>(c.codecField)] = c.value;
        const ApplyPlan plan = BuildApplyPlan({}, texts, true);
        if (c.detail.empty()) {
            EXPECT_FALSE(plan.refusal);
            continue;
        }
        ASSERT_TRUE(plan.refusal);
        EXPECT_EQ("Message_ValueRange", plan.refusal->message.key);
        EXPECT_EQ(c.detail, plan.refusal->Detail(English()));
        EXPECT_TRUE(plan.commands.empty());
    }

    // A range the other way round leaves the router no port; a row that is not sent is not looked at.
    ApplyTexts texts;
    texts.codecRow = {"1", "2", "0", "101", "20000", "10000"};
    ASSERT_TRUE(BuildApplyPlan({}, texts, true).refusal);
    EXPECT_EQ("Message_RtpPortOrder", BuildApplyPlan({}, texts, true).refusal->message.key);
    RouterSettings held;
    held.codecFields = texts.codecRow;
    EXPECT_FALSE(BuildApplyPlan(held, texts, true).refusal);
}

// What the router holds after an apply: what it held plus every command it acknowledged. An entry
// takes the form the router lists it in; a row known before takes each field sent, one not known only
// once its whole area went through.
TEST_F(ApplyCommandsTest, RecordAppliedAddsExactlyTheCommandsThatWentThrough) {
    ApplyTexts pages;
    pages.dialPlanRows = {Entry("3", "", ""), Entry("5", "55", "@d", LoopThrough::Pstn, "7")};
    pages.sipRow = kSipRow;
    pages.codecRow = kCodecRow;
    RouterSettings before;
    before.SetEntry(Entry("3", "33", "u@d"), true);
    before.codecFields = {"0", "0", "1", "96", "1024", "2048"};
    const ApplyPlan plan = BuildApplyPlan(before, pages, false);
    ASSERT_EQ(2u + 10u + 6u, plan.commands.size());
    const DialPlanEntry deleted{"3", "", "", "", std::nullopt, "", "-"};
    const DialPlanEntry listed{"5", "55", "", "d", LoopThrough::Pstn, "7", "V"};
    struct Case {
        bool completed;
        std::size_t applied;
        std::optional<DialPlanEntry> entry3, entry5;
        std::vector<std::string> sip, codec;
    };
    const std::vector<std::string> codecPart{"1", "2", "0", "101", "10050", "2048"};
    for (const Case& c : {Case{true, 18, deleted, listed, kSipRow, kCodecRow},
                          Case{false, 17, deleted, listed, kSipRow, codecPart},
                          Case{false, 7, deleted, listed, {}, before.codecFields},
                          Case{false, 1, deleted, std::nullopt, {}, before.codecFields},
                          Case{false, 0, before.dialPlan[2], std::nullopt, {}, before.codecFields}}) {
        SCOPED_TRACE(c.applied);
        RouterSettings held = before;
        RecordApplied(plan, c.completed, c.applied, false, held);
        EXPECT_EQ(c.entry3, held.dialPlan[2]);
        EXPECT_EQ(c.entry5, held.dialPlan[4]);
        EXPECT_EQ(c.sip, held.sipFields);
        EXPECT_EQ(c.codec, held.codecFields);
    }
}

TEST(RouterRefusalTest, AnAnswerStartingWithErrorOrPercentIsARefusal) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"\n\rError: invalid value\n\rRouter> ", "Error: invalid value"},
        {"\r\n\r\nERROR no such endpoint\r\nRouter> ", "ERROR no such endpoint"},
        {"% Invalid input\n\rRouter> ", "% Invalid input"},
        {"\n\rRouter> ", std::nullopt},
        {"\n\rOK, saved\n\rRouter> ", std::nullopt},
        {"\n\r  Error: indented\n\rRouter> ", std::nullopt},
        {"%Router> ", std::nullopt},  // the prompt itself is no answer
        {"", std::nullopt},
    };
    for (const auto& [reply, refusal] : cases) EXPECT_EQ(refusal, RouterRefusal(reply)) << reply;
}

TEST(HideSecretValueTest, OnlyTheValueOfASecretFieldIsHiddenAndTheEmptyMarkerStays) {
    const std::pair<const char*, const char*> cases[] = {
        {"voip sip endpt1 pass pw", "voip sip endpt1 pass ********"},
        {"voip sip endpt2 pass a-much-longer-secret", "voip sip endpt2 pass ********"},
        {"voip sip endpt1 pass \"\"", "voip sip endpt1 pass \"\""},
        {"voip sip endpt1 pass", "voip sip endpt1 pass"},
        {"voip sip endpt1 passport x", "voip sip endpt1 passport x"},
        {"voip sip endpt1 name alice", "voip sip endpt1 name alice"},
    };
    for (const auto& [typed, shown] : cases) EXPECT_EQ(shown, HideSecretValue(typed)) << typed;
}

TEST(ControlByteTest, BytesBelowSpaceAndDeleteAreControlBytes) {
    EXPECT_FALSE(ContainsControlByte(""));
    EXPECT_FALSE(ContainsControlByte(" ~\x80\xff\xc3\xa9 text"));
    for (int byte = 0; byte < 0x20; ++byte) {
        EXPECT_TRUE(ContainsControlByte(std::string("a") + static_cast<char>(byte) + "b")) << byte;
    }
    EXPECT_TRUE(ContainsControlByte("\x7f"));
}

}  // namespace
}  // namespace dezadav
