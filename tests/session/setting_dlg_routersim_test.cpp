// Whole runs of the session against the router emulator on loopback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "router_commands.h"
#include "router_state.h"
#include "session/setting_dlg.h"
#include "session/telnet_socket.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"
#include "time_scaled_connection.h"

namespace dezadav {
namespace {

using testing::FastClock;
using testing::RecordingMessagePort;
using testing::RouterSimProcess;
using testing::TimeScaledConnection;

struct RouterForm {
    const char* ip;
    const char* model;
    bool twoPort;
};
constexpr RouterForm kTwoPort{"127.0.0.2", "DZV-R5730K", true};
constexpr RouterForm kOnePort{"127.0.0.3", "DZV-R5830K", false};

// The commands of a full fetch as the emulator logs them for `form`.
std::vector<std::string> FullFetchLog(const RouterForm& form) {
    std::vector<std::string> log;
    for (const FetchCommand& command : kFetchCommands) {
        if (command.twoPortOnly && !form.twoPort) continue;
        log.push_back(std::string(form.ip) + " " + std::string(command.command));
    }
    return log;
}

// A session run set up against one emulated router. Time runs 20 times faster on its clock, so the
// runs that end in a time-out take a fraction of a second.
class EmulatedRun {
public:
    EmulatedRun(const RouterSimProcess& sim, const RouterForm& form) : scaled(socket, clock) {
        dlg.routerIp = form.ip;
        dlg.modelName = form.model;
        dlg.password = "admin";
        dlg.telnetPort = sim.TelnetPort();
    }
    CTelnetSocket socket;
    FastClock clock{20};
    TimeScaledConnection scaled;
    LanguageTable language;
    RecordingMessagePort port;
    CSettingDlg dlg{scaled, clock, language, port};
};

// What the emulated router of `form`, in its starting state, prints for `command` after the echoed
// line break, in the captured form: the output's opening empty line, its lines, the prompt, LF CR.
// (The readers of the dial-plan listing count byte positions from that opening line break.)
std::string Printed(const RouterForm& form, std::string_view command) {
    routersim::RouterState state = routersim::DefaultRouterState(form.twoPort);
    return "\n\r" + routersim::RunRouterCommand(state, std::string(command)).output + form.model + "> " + "\n\r";
}

class FetchFromEmulatorTest : public ::testing::TestWithParam<RouterForm> {};

TEST_P(FetchFromEmulatorTest, FullFetchYieldsExactlyWhatTheRouterPrinted) {
    const RouterForm form = GetParam();
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    CTelnetSocket socket;
    SteadyClock clock;
    LanguageTable language;
    RecordingMessagePort port;
    CSettingDlg dlg(socket, clock, language, port);
    dlg.routerIp = form.ip;
    dlg.modelName = form.model;
    dlg.password = "admin";
    dlg.telnetPort = sim.TelnetPort();
    dlg.fetched.sipEndpt2 = "untouched";

    ASSERT_TRUE(dlg.RunFetch(false));
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(DialogResult::Ok, dlg.Result());
    EXPECT_EQ(FullFetchLog(form), sim.CommandLog());

    for (const FetchCommand& command : kFetchCommands) {
        SCOPED_TRACE(command.command);
        const std::string& text = dlg.fetched.*command.text;
        if (command.twoPortOnly && !form.twoPort) {
            EXPECT_EQ("untouched", text);
        } else {
            EXPECT_EQ(Printed(form, command.command), text);
        }
    }
}

TEST_P(FetchFromEmulatorTest, LogOnlyRunFetchesTheCallLogAlone) {
    const RouterForm form = GetParam();
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, form);
    run.dlg.fetched.dialPlanList = "from before";
    ASSERT_TRUE(run.dlg.RunFetch(true));
    EXPECT_EQ(std::vector<std::string>{std::string(form.ip) + " voip sip calllog"}, sim.CommandLog());
    EXPECT_EQ(Printed(form, "voip sip calllog"), run.dlg.fetched.callLog);
    EXPECT_EQ("from before", run.dlg.fetched.dialPlanList);
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, FetchFromEmulatorTest, ::testing::Values(kTwoPort, kOnePort),
                         [](const auto& info) { return info.param.twoPort ? "TwoPort" : "OnePort"; });

// One failed run: exactly one message, no command after the failing one, Cancel.
void ExpectFailedRun(EmulatedRun& run, const std::string& message) {
    EXPECT_FALSE(run.dlg.RunFetch(false));
    ASSERT_EQ(1u, run.port.shown.size());
    EXPECT_EQ(message, run.port.shown[0].text);
    EXPECT_EQ(DialogResult::Cancel, run.dlg.Result());
}

TEST(FetchFailuresFromEmulatorTest, WrongPasswordFailsTheLogin) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort);
    run.dlg.password = "not-admin";
    ExpectFailedRun(run, "Failed to login router!");
    EXPECT_TRUE(sim.CommandLog().empty());
}

TEST(FetchFailuresFromEmulatorTest, RouterThatNeverShowsItsShellPromptFailsTheLogin) {
    RouterSimProcess sim({"--fault", "127.0.0.2:no-shell-prompt"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ExpectFailedRun(run, "Failed to login router!");
    // It fails for the missing prompt, after the password was taken.
    ASSERT_TRUE(run.scaled.Create());
    ASSERT_TRUE(run.scaled.Connect(kTwoPort.ip, sim.TelnetPort()));
    EXPECT_EQ(LoginResult::LoginNoShellPrompt, TelnetDialogue(run.scaled, run.clock).Login("admin", 2000));
    run.scaled.Close();
}

TEST(FetchFailuresFromEmulatorTest, RefusedConnectionIsReported) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    run.dlg.routerIp = "127.0.0.9";  // no emulated router listens there
    ExpectFailedRun(run, "Failed to connect to router!");
}

TEST(FetchFailuresFromEmulatorTest, SilenceInTheMiddleOfACommandStopsTheRunWithItsMessage) {
    RouterSimProcess sim({"--fault", "127.0.0.2:silent-in=voip sip port"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ExpectFailedRun(run, "Failed to get SIP data from router!");
    std::vector<std::string> expected = FullFetchLog(kTwoPort);
    expected.resize(4);  // up to and including "voip sip port"
    EXPECT_EQ(expected, sim.CommandLog());
    EXPECT_EQ(CommandError::NoAnswer, run.dlg.Dialogue().LastError());
}

TEST(FetchFailuresFromEmulatorTest, DroppedConnectionInTheMiddleOfTheLogFailsTheRun) {
    RouterSimProcess sim({"--fault", "127.0.0.3:drop-in=voip sip calllog"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort);
    ExpectFailedRun(run, "Failed to get VoIP Log data from router!");
    EXPECT_EQ(FullFetchLog(kOnePort), sim.CommandLog());
}

TEST(FetchFailuresFromEmulatorTest, OutputBeyondTheCapFailsItsCommandInsteadOfBeingCut) {
    RouterSimProcess sim({"--fault", "127.0.0.2:big-output=voip dial_plan list -t", "--fault",
                          "127.0.0.2:big-output-bytes=" + std::to_string(kMaxOutputBytes + 100)});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    run.dlg.fetched.dialPlanList = "earlier";
    ExpectFailedRun(run, "Failed to get DialPlan data from router!");
    EXPECT_EQ(CommandError::OutputTooLong, run.dlg.Dialogue().LastError());
    EXPECT_TRUE(run.dlg.fetched.dialPlanList.empty());
    EXPECT_EQ(std::vector<std::string>{"127.0.0.2 voip dial_plan list -t"}, sim.CommandLog());
}

TEST(FetchFailuresFromEmulatorTest, LargeOutputWithinTheCapIsHeldWhole) {
    RouterSimProcess sim({"--fault", "127.0.0.2:big-output=voip dial_plan list -t", "--fault",
                          "127.0.0.2:big-output-bytes=40000"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ASSERT_TRUE(run.dlg.RunFetch(false));
    const std::string& listing = run.dlg.fetched.dialPlanList;
    EXPECT_GE(listing.size(), 40000u);
    const std::string printed = Printed(kTwoPort, "voip dial_plan list -t");
    const std::string withoutPrompt = printed.substr(0, printed.size() - std::string("DZV-R5730K> \n\r").size());
    EXPECT_EQ(0u, listing.rfind(withoutPrompt, 0));
    EXPECT_EQ(listing.size() - std::string("DZV-R5730K> \n\r").size(), listing.rfind("DZV-R5730K> \n\r"));
}

TEST(FetchFailuresFromEmulatorTest, TelnetNegotiationInTheGreetingDoesNotDisturbTheFetch) {
    RouterSimProcess sim({"--fault", "127.0.0.3:iac-greeting"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort);
    ASSERT_TRUE(run.dlg.RunFetch(false));
    EXPECT_TRUE(run.port.shown.empty());
    EXPECT_EQ(FullFetchLog(kOnePort), sim.CommandLog());
}

}  // namespace
}  // namespace dezadav
