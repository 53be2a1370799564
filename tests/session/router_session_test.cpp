#include "session/router_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/emulated_line.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::EmulatedLine;
using testing::ManualClock;
using testing::RecordingMessagePort;
using testing::ScriptedTransport;

const std::vector<std::string> kTwoPortCommands{
    "voip dial_plan list -t", "voip sip endpt1", "voip sip endpt2", "voip sip port",   "voip sip registrar",
    "voip rtp codec",         "voip rtp dtmf",   "voip rtp port",   "voip sip calllog"};

class RouterSessionTest : public ::testing::Test {
protected:
    RouterSessionTest() {
        router.Attach(transport);
        // The log output larger than one chunk.
        router.router.setup.faults.bigOutputIn = {"voip sip calllog"};
        router.router.setup.faults.bigOutputBytes = 9000;
        request.routerIp = "127.0.0.2";
        request.password = "admin";
        request.modelName = "DZV-R5730K";
    }

    bool Fetch(bool logOnly) {
        return RunAs(dlg, logOnly ? SessionMode::GetVoipLog : SessionMode::GetSettings);
    }
    bool RunAs(RouterSession& session, SessionMode mode) {
        SessionRequest run = request;
        run.mode = mode;
        last = session.Run(run);
        return last.ok;
    }

    // The one message of a failed run.
    void ExpectOneError(const std::string& text) {
        ASSERT_EQ(1u, port.shown.size());
        EXPECT_EQ("Error", port.shown[0].caption);
        EXPECT_EQ(text, port.shown[0].text);
    }

    ManualClock clock;
    ScriptedTransport transport{clock};
    EmulatedLine router{"DZV-R5730K"};
    LanguageTable language;  // empty: every message shows its English default
    RecordingMessagePort port;
    RouterSession dlg{transport, clock, language, port};
    SessionRequest request;
    SessionResult last;  // of the last run
};

// ---------------------------------------------------------------- fetch
// A refused connection, a wrong password and each failing command are run against the whole program
// in the fault suite (tests/reliability), with the message, the connection closed and what is held.

TEST_F(RouterSessionTest, FullFetchOfATwoPortRouterRunsEightSettingsCommandsAndTheLogInOrder) {
    request.telnetPort = 2323;
    ASSERT_TRUE(Fetch(false));
    EXPECT_EQ(kTwoPortCommands, router.commands);
    EXPECT_EQ("127.0.0.2", transport.connectedIp);
    EXPECT_EQ(2323, transport.connectedPort);
    EXPECT_EQ(router.Captured("voip dial_plan list -t"), last.fetched.dialPlanList);
    EXPECT_EQ(router.Captured("voip sip endpt1"), last.fetched.sipEndpt1);
    EXPECT_EQ(router.Captured("voip sip endpt2"), last.fetched.sipEndpt2);
    EXPECT_EQ(router.Captured("voip sip port"), last.fetched.sipPort);
    EXPECT_EQ(router.Captured("voip sip registrar"), last.fetched.sipRegistrar);
    EXPECT_EQ(router.Captured("voip rtp codec"), last.fetched.rtpCodec);
    EXPECT_EQ(router.Captured("voip rtp dtmf"), last.fetched.rtpDtmf);
    EXPECT_EQ(router.Captured("voip rtp port"), last.fetched.rtpPort);
    EXPECT_EQ(router.Captured("voip sip calllog"), last.fetched.callLog);
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(1, transport.closes);
    // 500 ms after connecting and 1000 ms at the start of the login are pumped in any case.
    EXPECT_GE(clock.now, 1500);
}

TEST_F(RouterSessionTest, DefaultPortIsTheTelnetPort) {
    ASSERT_TRUE(Fetch(true));
    EXPECT_EQ(23, transport.connectedPort);
}

TEST_F(RouterSessionTest, TwoPortTestLooksForEitherModelTextAnywhereInTheName) {
    struct Case {
        const char* model;
        bool twoPort;
    };
    for (const Case c : {Case{"DZV-R5730K", true}, Case{"X5430KY-long", true}, Case{"5730K", true},
                         Case{"DZV-R5830K", false}, Case{"DZV-R5730k", false}, Case{"", false}}) {
        SCOPED_TRACE(c.model);
        router.commands.clear();
        request.modelName = c.model;
        ASSERT_TRUE(Fetch(false));
        std::vector<std::string> expected = kTwoPortCommands;
        if (!c.twoPort) expected.erase(expected.begin() + 2);
        EXPECT_EQ(expected, router.commands);
        EXPECT_EQ(c.twoPort ? router.Captured("voip sip endpt2") : "", last.fetched.sipEndpt2);
    }
}

TEST_F(RouterSessionTest, LogOnlyFetchRunsOnlyTheCallLog) {
    ASSERT_TRUE(Fetch(true));
    EXPECT_EQ(std::vector<std::string>{"voip sip calllog"}, router.commands);
    EXPECT_EQ(1, router.logins);
    EXPECT_EQ(router.Captured("voip sip calllog"), last.fetched.callLog);
    EXPECT_EQ("", last.fetched.dialPlanList);
    EXPECT_EQ("", last.fetched.sipPort);
}

TEST_F(RouterSessionTest, SocketThatCannotBeCreatedIsReportedAndNotClosed) {
    transport.createFails = true;
    EXPECT_FALSE(Fetch(false));
    ExpectOneError("Failed to create TCP socket!");
    EXPECT_EQ(0, transport.connects);
    EXPECT_EQ(0, transport.closes);
}

TEST_F(RouterSessionTest, MessagesComeFromTheLanguageTable) {
    LanguageTable german;
    german.LoadFromBytes("Message_Error [Fehler]\r\nMessage_Login [Anmeldung fehlgeschlagen]\r\n;END\r\n");
    RouterSession run(transport, clock, german, port);
    request.password = "falsch";
    EXPECT_FALSE(RunAs(run, SessionMode::GetVoipLog));
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_EQ("Fehler", port.shown[0].caption);
    EXPECT_EQ("Anmeldung fehlgeschlagen", port.shown[0].text);
    EXPECT_EQ(MessageIcon::Exclamation, port.shown[0].icon);
}

TEST_F(RouterSessionTest, PasswordWithAControlByteIsRefusedBeforeAnythingIsSent) {
    request.password = "admin\rvoip dial_plan del 1";
    EXPECT_FALSE(Fetch(false));
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_NE(std::string::npos, port.shown[0].text.find("control character"));
    EXPECT_NE(std::string::npos, port.shown[0].text.find("password"));
    EXPECT_EQ(std::string::npos, port.shown[0].text.find("admin"));
    EXPECT_EQ(0, transport.creates);
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(RouterSessionTest, ChunksLeftByAFailedRunAreDrainedByTheNextLogin) {
    router.router.setup.faults.silentIn = {"voip sip port"};
    EXPECT_FALSE(Fetch(false));
    // Whatever else was on its way ends up in the queue that outlives the connection.
    transport.Queue().Push("late output of the failed run\n\r");
    transport.Queue().Push("DZV-R5730K> ");
    router.router.setup.faults.silentIn.clear();
    router.commands.clear();
    port.shown.clear();
    ASSERT_TRUE(Fetch(false));
    EXPECT_EQ(kTwoPortCommands, router.commands);
    EXPECT_EQ(router.Captured("voip sip port"), last.fetched.sipPort);
    EXPECT_TRUE(port.shown.empty());
}

// ---------------------------------------------------------------- apply

class ApplyRunTest : public RouterSessionTest {
protected:
    ApplyRunTest() {
        pages.dialPlanRows = {DialPlanEntry{"4", "2000", "", "branch.example.net", std::nullopt, "", "V"},
                              DialPlanEntry{"9", "", "", "", std::nullopt, "", "-"}};
        pages.sipRow = {"5062", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
        held.sipFields = {"5060", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
        pages.codecRow = {"2", "1", "1", "101", "10050", "15000"};
        held.codecFields = {"2", "1", "0", "101", "10050", "15000"};
    }
    // Sends the plan from `pages` to `held` on `session`, then records in `held` what went through.
    bool Apply(RouterSession& session) {
        request.plan = BuildApplyPlan(held, pages, true);
        RunAs(session, SessionMode::ApplySettings);
        RecordApplied(request.plan, last.ok, last.commandsApplied, true, held);
        return last.ok;
    }
    bool Apply() { return Apply(dlg); }

    ApplyTexts pages;
    RouterSettings held;  // what the router holds as far as the apply knows
    const std::vector<std::string> kSipCommands{
        "voip sip port 5062",         "voip sip registrar reg.example.net", "voip sip endpt1 use_reg 1",
        "voip sip endpt1 name alice", "voip sip endpt1 pass pw1",           "voip sip endpt1 expire 4",
        "voip sip endpt2 use_reg 1",  "voip sip endpt2 name bob",           "voip sip endpt2 pass pw2",
        "voip sip endpt2 expire 5"};
    const std::vector<std::string> kCodecCommands{
        "voip rtp codec type 2",         "voip rtp codec size 1",     "voip rtp dtmf mode 1",
        "voip rtp dtmf payloadtype 101", "voip rtp port start 10050", "voip rtp port end 15000"};
};

TEST_F(ApplyRunTest, SendsDialPlanThenSipThenCodecAndReportsSuccessPlainly) {
    ASSERT_TRUE(Apply());
    std::vector<std::string> expected{"voip dial_plan set 4 2000 \"\" branch.example.net 1",
                                      "voip dial_plan del 9"};
    expected.insert(expected.end(), kSipCommands.begin(), kSipCommands.end());
    expected.insert(expected.end(), kCodecCommands.begin(), kCodecCommands.end());
    EXPECT_EQ(expected, router.commands);
    // Every command was typed byte by byte and ended with one CR: no LF, no NUL anywhere.
    EXPECT_EQ(std::string::npos, transport.SentBytes().find_first_of(std::string("\n\0", 2)));
    EXPECT_EQ(pages.sipRow, held.sipFields);
    EXPECT_EQ(pages.codecRow, held.codecFields);
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_EQ("Success", port.shown[0].caption);
    EXPECT_EQ("Settings have been applied to router.", port.shown[0].text);
    EXPECT_EQ(MessageIcon::None, port.shown[0].icon);
    EXPECT_EQ(1, transport.closes);
}

TEST_F(ApplyRunTest, SecondApplyWithoutEditsOnlyLogsInAndStillReportsSuccess) {
    ASSERT_TRUE(Apply());
    router.commands.clear();
    port.shown.clear();
    pages.dialPlanRows.clear();  // the workflow resets the changed flags after a completed apply
    ASSERT_TRUE(Apply());
    EXPECT_TRUE(router.commands.empty());
    EXPECT_EQ(2, router.logins);
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_EQ("Settings have been applied to router.", port.shown[0].text);
}

TEST_F(ApplyRunTest, FailingThirdSipCommandKeepsWhatWentThroughAndSendsNoCodec) {
    std::vector<std::string> sipAfter = held.sipFields;
    sipAfter[0] = pages.sipRow[0];
    sipAfter[1] = pages.sipRow[1];
    const std::vector<std::string> lastCodecBefore = held.codecFields;
    router.router.setup.faults.silentIn = {"voip sip endpt1 use_reg 1"};
    EXPECT_FALSE(Apply());
    ExpectOneError("Failed to set SIP data to router!");
    const std::vector<std::string> expected{"voip dial_plan set 4 2000 \"\" branch.example.net 1",
                                            "voip dial_plan del 9", kSipCommands[0], kSipCommands[1],
                                            kSipCommands[2]};
    EXPECT_EQ(expected, router.commands);
    EXPECT_EQ(4u, last.commandsApplied);
    EXPECT_EQ(sipAfter, held.sipFields);
    EXPECT_EQ(lastCodecBefore, held.codecFields);
    EXPECT_EQ(1, transport.closes);
}

TEST_F(ApplyRunTest, FailingCodecCommandKeepsTheSipAreaApplied) {
    std::vector<std::string> codecAfter = pages.codecRow;
    codecAfter.back() = held.codecFields.back();
    router.router.setup.faults.silentIn = {"voip rtp port end 15000"};
    EXPECT_FALSE(Apply());
    ExpectOneError("Failed to set CODEC data to router!");
    EXPECT_EQ(pages.sipRow, held.sipFields);
    EXPECT_EQ(codecAfter, held.codecFields);
}

TEST_F(ApplyRunTest, DialPlanFailuresShowTheirMessagesTheDeleteOneAlwaysInEnglish) {
    LanguageTable localized;
    localized.LoadFromBytes("Message_Error [Fehler]\r\nMessage_SetDialPlan [Wählplan nicht gesetzt]\r\n");
    {
        RouterSession run(transport, clock, localized, port);
        router.router.setup.faults.silentIn = {"voip dial_plan del 9"};
        EXPECT_FALSE(Apply(run));
        ASSERT_EQ(1u, port.shown.size());
        EXPECT_EQ("Fehler", port.shown[0].caption);
        EXPECT_EQ("Failed to Del DialPlan data on router!", port.shown[0].text);
        EXPECT_EQ(router.commands.back(), "voip dial_plan del 9");
    }
    port.shown.clear();
    router.commands.clear();
    held.dialPlan = {};  // entry 4 went through above; a router not read is sent it again
    {
        RouterSession run(transport, clock, localized, port);
        router.router.setup.faults.silentIn = {"voip dial_plan set 4 2000 \"\" branch.example.net 1"};
        EXPECT_FALSE(Apply(run));
        ASSERT_EQ(1u, port.shown.size());
        EXPECT_EQ("Wählplan nicht gesetzt", port.shown[0].text);
        EXPECT_EQ(1u, router.commands.size());
    }
}

TEST_F(ApplyRunTest, ValueWithAControlByteIsRefusedBeforeAnythingIsSent) {
    pages.sipRow[3] = "alice\rvoip dial_plan del 1";
    const std::vector<std::string> lastSipBefore = held.sipFields;
    EXPECT_FALSE(Apply());
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_EQ("Error", port.shown[0].caption);
    EXPECT_EQ("A value contains a control character and cannot be sent to the router! (SIP port 1 name)",
              port.shown[0].text);
    EXPECT_EQ(0, transport.creates);
    EXPECT_TRUE(transport.sends.empty());
    EXPECT_EQ(lastSipBefore, held.sipFields);
}

TEST_F(RouterSessionTest, RunIsReportedToTheObserverAndItsWaitsFollowTheTimeScale) {
    struct Recorder : SessionObserver {
        void ExchangeStarted(int64_t, const SessionRequest& request) override {
            events.push_back("start " + request.routerIp);
        }
        void ExchangeEnded(int64_t, bool ok, std::string_view text) override {
            events.push_back((ok ? "ok " : "failed ") + std::string(text));
        }
        std::vector<std::string> events;
    } recorder;
    dlg.SetObserver(&recorder);
    ASSERT_TRUE(Fetch(true));
    EXPECT_EQ(kConnectTimeoutMs, transport.connectTimeoutMs);

    request.timeScale = 3;
    request.password = "wrong";
    const int64_t start = clock.now;
    EXPECT_FALSE(Fetch(true));
    EXPECT_EQ(3 * kConnectTimeoutMs, transport.connectTimeoutMs);
    // The pauses after connecting and before the greeting are three times as long.
    EXPECT_GE(clock.now - start, 3 * (kConnectPumpMs + kLoginPumpMs));
    EXPECT_EQ((std::vector<std::string>{"start 127.0.0.2", "ok ", "start 127.0.0.2",
                                        "failed Failed to login router!"}),
              recorder.events);
}

// ---------------------------------------------------------------- modes

TEST_F(RouterSessionTest, EachModeHasItsProgressTextAndAnUnknownModeRunsNothing) {
    struct Case {
        SessionMode mode;
        std::string key;
        std::string english;
    };
    for (const Case& c :
         {Case{SessionMode::GetSettings, "Message_GetSetting", "Get Setting from router ..."},
          Case{SessionMode::ApplySettings, "Message_SetSetting", "Apply Setting to router ..."},
          Case{SessionMode::GetVoipLog, "Message_GetVoIPLog", "Get VoIP Log from router ..."}}) {
        SCOPED_TRACE(c.key);
        const MessageText* progress = ProgressTextFor(c.mode);
        ASSERT_NE(nullptr, progress);
        EXPECT_EQ(c.key, progress->key);
        EXPECT_EQ(c.english, progress->englishDefault);
    }
    EXPECT_EQ(nullptr, ProgressTextFor(static_cast<SessionMode>(7)));
    EXPECT_FALSE(RunAs(dlg, static_cast<SessionMode>(7)));
    EXPECT_EQ(0, transport.creates);
    EXPECT_TRUE(port.shown.empty());
}

}  // namespace
}  // namespace dezadav
