// The emulated router's commands: what the fetch commands print lands where the program reads it, and
// every set or delete command changes exactly what it names.
#include "router_commands.h"

#include <gtest/gtest.h>

#include "output_forms.h"
#include "router_output.h"

namespace dezadav::routersim {
namespace {

using dezadav::testing::ListedEntry;
using dezadav::testing::ReadCallLog;
using dezadav::testing::ReadDialPlanListing;
using dezadav::testing::ReadKeywordValues;
using dezadav::testing::ReadRtpValues;

// The captured form of an output: the echoed line break, the text, the prompt, then LF CR.
std::string Captured(const std::string& output) {
    return "\n\r" + output + "DZV-R5730K> \n\r";
}

std::string Fetch(RouterState& s, const std::string& command) {
    CommandResult r = RunRouterCommand(s, command);
    EXPECT_FALSE(r.changed) << command;
    EXPECT_EQ(r.output.find("Error:"), std::string::npos) << command;
    return Captured(r.output);
}

void ExpectListingMatches(const RouterState& s) {
    RouterState copy = s;
    auto listed = ReadDialPlanListing(Fetch(copy, "voip dial_plan list -t"), s.twoPort);
    size_t inUse = 0;
    for (const auto& e : s.dialPlan) inUse += e.InUse() ? 1 : 0;
    ASSERT_EQ(listed.size(), inUse);
    for (const ListedEntry& l : listed) {
        ASSERT_GE(l.index, 1);
        ASSERT_LE(l.index, 60);
        const DialPlanEntry& e = s.dialPlan[l.index - 1];
        EXPECT_TRUE(e.InUse()) << l.index;
        EXPECT_EQ(l.enabled, e.enabled) << l.index;
        EXPECT_EQ(l.phone, e.phone) << l.index;
        EXPECT_EQ(l.user, e.user) << l.index;
        EXPECT_EQ(l.domain, e.domain) << l.index;
        if (!s.twoPort) {
            EXPECT_EQ(l.loop, static_cast<char>('0' + e.loop)) << l.index;
            EXPECT_EQ(l.backup, e.backup) << l.index;
        }
    }
}

TEST(RouterCommandsTest, DefaultListingsReadBackByPositionInBothForms) {
    for (bool twoPort : {true, false}) {
        SCOPED_TRACE(twoPort ? "two-port" : "one-port");
        RouterState s = DefaultRouterState(twoPort);
        // The defaults must exercise the position rules: two-digit indices, disabled entries, no user.
        bool twoDigits = false, disabled = false, noUser = false;
        for (int i = 0; i < 60; ++i) {
            if (!s.dialPlan[i].InUse()) continue;
            twoDigits = twoDigits || i + 1 >= 10;
            disabled = disabled || !s.dialPlan[i].enabled;
            noUser = noUser || s.dialPlan[i].user.empty();
        }
        EXPECT_TRUE(twoDigits && disabled && noUser);
        ExpectListingMatches(s);
    }
}

TEST(RouterCommandsTest, DialPlanSetAndDeleteChangeTheListing) {
    RouterState one = DefaultRouterState(false);
    CommandResult r = RunRouterCommand(one, "voip dial_plan set 11 5550 bob 10.1.2.3 0 2 \"\"");
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.output, "");
    r = RunRouterCommand(one, "voip dial_plan set 6 777 \"\" gw.example.org 1 1 12345");
    EXPECT_TRUE(r.changed);
    r = RunRouterCommand(one, "voip dial_plan del 1");
    EXPECT_TRUE(r.changed);
    EXPECT_FALSE(one.dialPlan[0].InUse());
    EXPECT_EQ(one.dialPlan[10].phone, "5550");
    EXPECT_EQ(one.dialPlan[10].backup, "");
    EXPECT_EQ(one.dialPlan[5].user, "");
    EXPECT_EQ(one.dialPlan[5].loop, 1);
    ExpectListingMatches(one);

    RouterState two = DefaultRouterState(true);
    EXPECT_TRUE(RunRouterCommand(two, "voip dial_plan set 59 42 carol 192.0.2.9 0").changed);
    EXPECT_EQ(two.dialPlan[58].domain, "192.0.2.9");
    EXPECT_FALSE(two.dialPlan[58].enabled);
    ExpectListingMatches(two);
}

TEST(RouterCommandsTest, BadSetCommandsPrintAnErrorAndChangeNothing) {
    const char* bad[] = {
        "voip dial_plan set 5 123 bob 10.0.0.1 1",          // one-port router needs loop and backup
        "voip dial_plan set 0 123 bob 10.0.0.1 1 0 \"\"",   // index below 1
        "voip dial_plan set 61 123 bob 10.0.0.1 1 0 \"\"",  // index above 60
        "voip dial_plan set 5 123 bob 10.0.0.1 2 0 \"\"",   // status is 0 or 1
        "voip dial_plan set 5 123 bob 10.0.0.1 1 3 \"\"",   // loop is 0..2
        "voip dial_plan set 5 \"\" bob 10.0.0.1 1 0 \"\"",  // a number is needed
        "voip dial_plan set 5 12\x01 bob 10.0.0.1 1 0 x",   // control byte in a value
        "voip dial_plan del 61",
        "voip sip port 0",
        "voip sip port 70000",
        "voip sip port 5060 5061",
        "voip sip endpt1 use_reg 2",  // one-port: a flag only
        "voip sip endpt1 expire 10",
        "voip sip endpt1 colour red",
        "voip sip endpt2",          // one-port routers show no second account (but take its settings)
        "voip rtp codec type 3",    // one-port routers offer three codecs
        "voip rtp codec size 6",
        "voip rtp dtmf mode 3",
        "voip rtp dtmf payloadtype 95",
        "voip rtp dtmf payloadtype 128",
        "voip rtp port start abc",
        "voip rtp port end -1",
        "voip bogus",
        "show running-config",
    };
    for (const char* command : bad) {
        RouterState s = DefaultRouterState(false);
        RouterState before = s;
        CommandResult r = RunRouterCommand(s, command);
        EXPECT_FALSE(r.changed) << command;
        EXPECT_EQ(r.output.rfind("Error: ", 0), 0u) << command;
        EXPECT_EQ(r.output.substr(r.output.size() - 2), "\n\r") << command;
        EXPECT_EQ(DialPlanListing(s), DialPlanListing(before)) << command;
        EXPECT_EQ(SipEndpointOutput(s, 1), SipEndpointOutput(before, 1)) << command;
        EXPECT_EQ(
            SipPortOutput(s) + RtpCodecOutput(s) + RtpDtmfOutput(s) + RtpPortOutput(s),
            SipPortOutput(before) + RtpCodecOutput(before) + RtpDtmfOutput(before) + RtpPortOutput(before))
            << command;
    }
}

TEST(RouterCommandsTest, SipSetCommandsReadBackThroughTheKeywords) {
    const std::vector<std::string> endpointKeys = {"name:", "registrar:", "password:", "seconds:"};
    RouterState two = DefaultRouterState(true);
    for (const char* c :
         {"voip sip port 5070", "voip sip registrar reg.example.com", "voip sip endpt1 use_reg 3",
          "voip sip endpt1 name alice", "voip sip endpt1 pass \"\"", "voip sip endpt1 expire 1",
          "voip sip endpt2 use_reg 0", "voip sip endpt2 name bob", "voip sip endpt2 pass pw2",
          "voip sip endpt2 expire 8"}) {
        EXPECT_TRUE(RunRouterCommand(two, c).changed) << c;
    }
    auto e1 = ReadKeywordValues(Fetch(two, "voip sip endpt1"), endpointKeys);
    EXPECT_EQ(e1["registrar:"], "3");
    EXPECT_EQ(e1["name:"], "alice");
    EXPECT_EQ(e1["password:"], "");
    EXPECT_EQ(e1["seconds:"], "600");  // two-port expiry 1 is the shortest two-port choice, 10 minutes
    auto e2 = ReadKeywordValues(Fetch(two, "voip sip endpt2"), endpointKeys);
    EXPECT_EQ(e2["registrar:"], "0");
    EXPECT_EQ(e2["name:"], "bob");
    EXPECT_EQ(e2["password:"], "pw2");
    EXPECT_EQ(e2["seconds:"], "86400");
    EXPECT_EQ(ReadKeywordValues(Fetch(two, "voip sip port"), {"number:"})["number:"], "5070");
    EXPECT_EQ(ReadKeywordValues(Fetch(two, "voip sip registrar"), {"Now:"})["Now:"], "reg.example.com");
    EXPECT_EQ(RunRouterCommand(two, "voip sip endpt1 expire 0").output.rfind("Error:", 0), 0u);
    EXPECT_EQ(RunRouterCommand(two, "voip sip endpt1 expire 9").output.rfind("Error:", 0), 0u);

    RouterState one = DefaultRouterState(false);
    EXPECT_TRUE(RunRouterCommand(one, "voip sip endpt1 expire 0").changed);
    EXPECT_TRUE(RunRouterCommand(one, "voip sip endpt1 use_reg 0").changed);
    EXPECT_TRUE(RunRouterCommand(one, "voip sip registrar \"\"").changed);
    auto o1 = ReadKeywordValues(Fetch(one, "voip sip endpt1"), endpointKeys);
    EXPECT_EQ(o1["seconds:"], "180");  // one-port expiry 0 is 3 minutes
    EXPECT_EQ(o1["registrar:"], "0");
    auto reg = ReadKeywordValues(Fetch(one, "voip sip registrar"), {"Now:"});
    ASSERT_EQ(reg.count("Now:"), 1u);
    EXPECT_EQ(reg["Now:"], "");
}

TEST(RouterCommandsTest, RtpSetCommandsReadBackThroughTheKeywordPairs) {
    RouterState two = DefaultRouterState(true);
    for (const char* c :
         {"voip rtp codec type 4", "voip rtp codec size 5", "voip rtp dtmf mode 0",
          "voip rtp dtmf payloadtype 127", "voip rtp port start 20000", "voip rtp port end 20100"}) {
        EXPECT_TRUE(RunRouterCommand(two, c).changed) << c;
    }
    EXPECT_EQ(ReadRtpValues(Fetch(two, "voip rtp codec"), {{"type", "="}, {"size", "="}}),
              (std::vector<std::string>{"4", "5"}));
    EXPECT_EQ(ReadRtpValues(Fetch(two, "voip rtp dtmf"), {{"mode:"}, {"type:"}}),
              (std::vector<std::string>{"0", "127"}));
    EXPECT_EQ(ReadRtpValues(Fetch(two, "voip rtp port"), {{"start", "port:"}, {"end", "port:"}}),
              (std::vector<std::string>{"20000", "20100"}));
}

TEST(RouterCommandsTest, CallLogPrintsTenSlotsNewestFirst) {
    RouterState s = DefaultRouterState(true);
    auto calls = ReadCallLog(Fetch(s, "voip sip calllog"));
    ASSERT_EQ(calls.size(), s.calls.size());
    ASSERT_LT(calls.size(), 10u);  // the defaults leave empty slots
    bool in = false, out = false;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].date, s.calls[i].date);
        EXPECT_EQ(calls[i].time, s.calls[i].time);
        EXPECT_EQ(calls[i].address, s.calls[i].address);
        in = in || calls[i].direction == "IN";
        out = out || calls[i].direction != "IN";
        // An incoming call names its remote party with two words.
        if (calls[i].direction == "IN") {
            EXPECT_NE(calls[i].address.find(' '), std::string::npos);
        }
    }
    EXPECT_TRUE(in && out);
    std::string text = Fetch(s, "voip sip calllog");
    EXPECT_NE(text.find("No.10\t00-00-    0\t00:00:00\t0\t-\t\n\r"), std::string::npos);

    for (int i = 0; i < 12; ++i)
        s.AddCall({"04-01-2024", "10:00:" + std::to_string(10 + i), "1", "OUT", "x"});
    calls = ReadCallLog(Fetch(s, "voip sip calllog"));
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[0].time, "10:00:21");
    EXPECT_EQ(calls[9].time, "10:00:12");
}

TEST(RouterCommandsTest, NoOutputHoldsThePromptMarkAndEveryLineEndsLfCr) {
    RouterState s = DefaultRouterState(true);
    for (const char* c : {"voip dial_plan list -t", "voip sip endpt1", "voip sip endpt2", "voip sip port",
                          "voip sip registrar", "voip rtp codec", "voip rtp dtmf", "voip rtp port",
                          "voip sip calllog", "nonsense"}) {
        std::string out = RunRouterCommand(s, c).output;
        EXPECT_EQ(out.find("> "), std::string::npos) << c;
        ASSERT_GE(out.size(), 2u) << c;
        EXPECT_EQ(out.substr(out.size() - 2), "\n\r") << c;
        for (size_t i = 0; i < out.size(); ++i) {
            if (out[i] == '\n') {
                EXPECT_TRUE(i + 1 < out.size() && out[i + 1] == '\r') << c << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace dezadav::routersim
