// Faulty routers against the whole program line: every fault of the emulator in every fetch command
// and every apply area, for both router forms. For each: the one message the user sees, what the
// program still holds afterwards, and that the next exchange works.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulated_workflow.h"
#include "session/apply_commands.h"

namespace dezadav::testing {
namespace {

constexpr const char* kMsgLogin = "Failed to login router!";
constexpr const char* kMsgConnect = "Failed to connect to router!";
constexpr const char* kMsgApplied = "Settings have been applied to router.";
constexpr const char* kNoChangesText = "There are no changes to apply.";

// The message a failed fetch command shows, as the English language file words it.
std::string FetchFailureText(const std::string& command) {
    if (command == "voip dial_plan list -t") return "Failed to get DialPlan data from router!";
    if (command.rfind("voip sip calllog", 0) == 0) return "Failed to get VoIP Log data from router!";
    if (command.rfind("voip sip", 0) == 0) return "Failed to get SIP data from router!";
    return "Failed to get Codec data from router!";
}

// The user's edits that a later apply sends, different on every call (`round`), so that the SIP and
// codec rows always differ from the rows the router was last given.
void EditEverything(RouterWorkflow& workflow, int round) {
    DialPlanTable& dialPlan = workflow.Pages().DialPlan();
    dialPlan.ClearEntry(2);  // entry 3: deleted
    DialPlanEntry five = dialPlan.Entry(4);
    five.phoneNumber = "55" + std::to_string(round);
    five.sipAddress = "desk@10.1.1.5";
    five.loopThrough = workflow.Connected().IsTwoPort() ? std::nullopt : std::optional(LoopThrough::Pstn);
    five.backupNumber = workflow.Connected().IsTwoPort() ? "" : "77";
    five.statusMark = "V";
    dialPlan.SetEntry(4, five);
    DialPlanEntry seven = dialPlan.Entry(6);
    seven.phoneNumber = "77" + std::to_string(round);
    seven.sipAddress = "10.1.1.7";
    seven.loopThrough = workflow.Connected().IsTwoPort() ? std::nullopt : std::optional(LoopThrough::None);
    seven.backupNumber = "";
    seven.statusMark = "-";
    dialPlan.SetEntry(6, seven);
    workflow.Pages().Sip().SetPort1UserName("user" + std::to_string(round));
    workflow.Pages().Codec().SetPayloadType(std::to_string(96 + round % 30));
}

// A failure shows exactly its one message, in an error box, and leaves no connection open.
void ExpectOneError(const EmulatedWorkflow& run, const std::string& text) {
    ASSERT_EQ(1u, run.port.messages.shown.size());
    EXPECT_EQ("Error", run.port.messages.shown[0].caption);
    EXPECT_EQ(text, run.port.messages.shown[0].text);
    EXPECT_EQ(run.connection.created, run.connection.closed);
}

std::vector<int> ChangedPositions(const DialPlanTable& dialPlan) {
    std::vector<int> changed;
    for (int p = 0; p < kDialPlanEntryCount; ++p)
        if (dialPlan.IsChanged(p)) changed.push_back(p);
    return changed;
}

// ------------------------------------------------------------------------------------------ fetch

struct FetchFault {
    const char* name;  // emulator fault switched on for one command
    bool fails;        // whether the fetch fails on it
};
void PrintTo(const FetchFault& fault, std::ostream* out) {
    *out << fault.name;
}

class FetchFaultTest : public ::testing::TestWithParam<std::tuple<RouterForm, FetchFault>> {};

// The fault hits each fetch command in turn. A failing fetch shows that command's message once, runs
// no later command, leaves every model as the user left it, and the confirmation that comes back
// leads to a complete fetch. A fault the dialogue rides out leaves no trace at all.
TEST_P(FetchFaultTest, EachFetchCommandInTurn) {
    const auto [form, fault] = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
    const ProgramState fromRouter = run.State();
    const std::vector<std::string> fullFetch = FetchCommandsOf(form);

    int round = 0;
    for (std::size_t failing = 0; failing < fullFetch.size(); ++failing) {
        const std::string& command = fullFetch[failing];
        SCOPED_TRACE(command);
        EditEverything(run.workflow, ++round);
        const ProgramState edited = run.State();
        run.Fault(form, std::string(fault.name) + "=" + command);
        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        run.port.confirmCalls = 0;

        ProgramState atRetry;
        bool busyAtRetry = false;
        run.port.onConfirm = [&](int call) {
            if (call != 2) return;
            atRetry = run.State();
            busyAtRetry = run.workflow.Refresh().Blocked();
            run.ClearFaults(form);
        };
        ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form, fault.fails));
        run.port.onConfirm = nullptr;

        std::vector<std::string> expected;
        if (fault.fails) {
            ExpectOneError(run, FetchFailureText(command));
            EXPECT_EQ(2, run.port.confirmCalls);
            EXPECT_TRUE(atRetry == edited) << Differences(atRetry, edited);
            EXPECT_TRUE(busyAtRetry);
            expected.assign(fullFetch.begin(), fullFetch.begin() + failing + 1);
        } else {
            EXPECT_TRUE(run.port.MessageTexts().empty());
            EXPECT_EQ(1, run.port.confirmCalls);
            run.ClearFaults(form);
        }
        expected.insert(expected.end(), fullFetch.begin(), fullFetch.end());
        EXPECT_EQ(expected, run.CommandsOf(form));
        EXPECT_FALSE(run.workflow.Refresh().Blocked());
        // The fetch that went through replaced the edits with what the router holds.
        const ProgramState after = run.State();
        EXPECT_TRUE(after == fromRouter) << Differences(after, fromRouter);
        if (::testing::Test::HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FetchFaultTest,
    ::testing::Combine(::testing::Values(kTwoPortForm, kOnePortForm),
                       ::testing::Values(FetchFault{"silent-in", true}, FetchFault{"drop-in", true},
                                         FetchFault{"big-output", true}, FetchFault{"garbage-in", false})),
    [](const auto& info) {
        std::string fault = std::get<1>(info.param).name;
        fault.erase(fault.find('-'), 1);
        return FormName(std::get<0>(info.param)) + "_" + fault;
    });

class SessionFaultTest : public ::testing::TestWithParam<RouterForm> {};

// Faults of the whole connection: the login fails (or, for a router silent after its prompt, the
// first command), one message, nothing held is touched, and the fetch after it works.
TEST_P(SessionFaultTest, ConnectionWideFaultsFailOnceAndLeaveTheProgramReady) {
    const RouterForm form = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
    const ProgramState fromRouter = run.State();

    struct Case {
        std::string fault;
        std::string message;
    };
    const std::vector<Case> cases{{"no-shell-prompt", kMsgLogin},
                                  {"silent-after-login", FetchFailureText("voip dial_plan list -t")},
                                  {"slow-echo=400", kMsgLogin}};  // 8000 ms on the session's clock
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EditEverything(run.workflow, ++round);
        const ProgramState edited = run.State();
        run.Fault(form, c.fault);
        run.port.messages.shown.clear();
        ProgramState atRetry;
        run.port.onConfirm = [&](int call) {
            if (call == 2) atRetry = run.State();
            if (call == 2) run.ClearFaults(form);
        };
        run.port.confirmCalls = 0;
        ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form, true));
        ExpectOneError(run, c.message);
        EXPECT_TRUE(atRetry == edited) << Differences(atRetry, edited);
        const ProgramState after = run.State();
        EXPECT_TRUE(after == fromRouter) << Differences(after, fromRouter);
    }

    // A wrong password, then the right one: the confirmation comes back for the same router, and the
    // failed login ran no command.
    EditEverything(run.workflow, ++round);
    const ProgramState edited = run.State();
    run.port.messages.shown.clear();
    run.port.onConfirm = [&](int call) {
        if (call == 2) {
            EXPECT_TRUE(run.State() == edited);
        }
    };
    run.port.confirmCalls = 0;
    run.port.confirmations.clear();
    const int selections = run.port.selectCalls;
    run.sim.ClearCommandLog();
    run.port.selections.push_back(Select(form));
    run.port.passwords = {"not-the-password", "admin"};
    ASSERT_EQ(ConnectOutcome::Connected, run.workflow.ConnectSequence());
    ExpectOneError(run, kMsgLogin);
    EXPECT_EQ(selections + 1, run.port.selectCalls);
    ASSERT_EQ(2u, run.port.confirmations.size());
    EXPECT_EQ(Select(form).router, run.port.confirmations[0]);
    EXPECT_EQ(run.port.confirmations[0], run.port.confirmations[1]);
    EXPECT_EQ(FetchCommandsOf(form), run.CommandsOf(form));
    EXPECT_EQ("admin", run.workflow.Connected().router.password);
    EXPECT_FALSE(run.workflow.Refresh().Blocked());

    // Nobody listens at the address: the connection is refused; Cancel keeps everything.
    EditEverything(run.workflow, ++round);
    const ProgramState beforeRefused = run.State();
    run.port.messages.shown.clear();
    RouterSelection nowhere = Select(form);
    nowhere.router.ipAddress = "127.0.0.9";
    run.port.selections.push_back(nowhere);
    run.port.passwords = {"admin", std::nullopt};
    EXPECT_EQ(ConnectOutcome::Cancelled, run.workflow.ConnectSequence());
    ExpectOneError(run, kMsgConnect);
    // The window stays on the router it showed: strip, password and pages.
    const ProgramState afterRefused = run.State();
    EXPECT_TRUE(afterRefused == beforeRefused) << Differences(afterRefused, beforeRefused);
}

// Faults the dialogue rides out: the fetch gives exactly what a clean one gives.
TEST_P(SessionFaultTest, NegotiationBytesAndALineBreakOfItsOwnChangeNothing) {
    const RouterForm form = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
    const ProgramState clean = run.State();
    for (const char* fault : {"iac-greeting", "separate-line-break"}) {
        SCOPED_TRACE(fault);
        EditEverything(run.workflow, 1);
        run.Fault(form, fault);
        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
        run.ClearFaults(form);
        EXPECT_TRUE(run.port.MessageTexts().empty());
        EXPECT_EQ(FetchCommandsOf(form), run.CommandsOf(form));
        const ProgramState after = run.State();
        EXPECT_TRUE(after == clean) << Differences(after, clean);
    }
}

// The log refresh against the same faults: one message, the log as it was, the busy flag left set
// (only a Connect sequence or an apply that succeeds clears it) with the box still ticked, and the
// ticks until then reach no router.
TEST_P(SessionFaultTest, FailedLogRefreshKeepsTheLogAndBlocksFurtherRefreshes) {
    const RouterForm form = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
    run.workflow.SetRefreshSeconds(10);

    const std::vector<std::string> faults{"silent-in=voip sip calllog", "drop-in=voip sip calllog",
                                          "big-output=voip sip calllog", "silent-after-login",
                                          "no-shell-prompt"};
    for (const std::string& fault : faults) {
        SCOPED_TRACE(fault);
        run.Control(std::string("addcall ") + form.ip);  // a call the failed refresh must not show
        const CallLogTable before = run.workflow.Pages().CallLog();
        run.Fault(form, fault);
        run.port.messages.shown.clear();
        RefreshOutcome outcome = RefreshOutcome::Counted;
        for (int tick = 0; tick < 20 && outcome == RefreshOutcome::Counted; ++tick)
            outcome = run.workflow.RefreshTick();
        ASSERT_EQ(RefreshOutcome::Failed, outcome);
        const std::string expected =
            fault == "no-shell-prompt" ? kMsgLogin : "Failed to get VoIP Log data from router!";
        ExpectOneError(run, expected);
        EXPECT_TRUE(run.workflow.Pages().CallLog() == before);
        EXPECT_TRUE(run.workflow.Refresh().Blocked());
        EXPECT_TRUE(run.workflow.Refresh().On());
        EXPECT_TRUE(run.timer.IsActive());
        run.sim.ClearCommandLog();
        for (int tick = 0; tick < 15; ++tick) ASSERT_EQ(RefreshOutcome::Counted, run.workflow.RefreshTick());
        EXPECT_TRUE(run.CommandsOf(form).empty());

        // Ready again: an apply (of an edit, or it would not reach the router) that succeeds clears
        // the flag; the next tick fetches the new call.
        run.ClearFaults(form);
        run.workflow.Pages().Codec().SetPayloadType(run.workflow.Pages().Codec().PayloadType() == "120" ? "121" : "120");
        ASSERT_EQ(ApplyOutcome::Applied, run.workflow.ApplyFlow());
        EXPECT_FALSE(run.workflow.Refresh().Blocked());
        ASSERT_EQ(RefreshOutcome::Refreshed, run.workflow.RefreshTick());
        EXPECT_FALSE(run.workflow.Pages().CallLog() == before);
    }
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, SessionFaultTest, ::testing::Values(kTwoPortForm, kOnePortForm),
                         [](const auto& info) { return FormName(info.param); });

// ------------------------------------------------------------------------------------------ apply

struct ApplyTarget {
    const char* command;  // the fault hits the first command sent that equals or starts with it
    ApplyArea area;
};

struct ApplyFault {
    const char* name;
    bool fails;
};
void PrintTo(const ApplyFault& fault, std::ostream* out) {
    *out << fault.name;
}

std::string ApplyFailureText(const std::string& command, ApplyArea area) {
    switch (area) {
        case ApplyArea::DialPlan:
            return command.rfind("voip dial_plan del", 0) == 0 ? "Failed to Del DialPlan data on router!"
                                                               : "Failed to set DialPlan data to router!";
        case ApplyArea::Sip:
            return "Failed to set SIP data to router!";
        case ApplyArea::Codec:
            return "Failed to set Codec data to router!";
    }
    return "";
}

class ApplyFaultTest : public ::testing::TestWithParam<std::tuple<RouterForm, ApplyFault>> {};

// The fault hits the first, a middle and the last command of each area in turn. A failing command
// ends the apply with its area's message; what went before it stays sent and known, no later command
// goes out, the dial-plan changed flags all stay set. The next apply sends the entries from the failed
// one on and every SIP or codec group that did not complete.
// A router that answers a command with an error text refuses it: the apply stops there as on any
// failure, quoting the router.
TEST_P(ApplyFaultTest, EachAreaFirstMiddleAndLastCommand) {
    const auto [form, fault] = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));

    const std::vector<ApplyTarget> targets{{"voip dial_plan del", ApplyArea::DialPlan},
                                           {"voip dial_plan set 7", ApplyArea::DialPlan},
                                           {"voip sip port", ApplyArea::Sip},
                                           {"voip sip endpt1 pass", ApplyArea::Sip},
                                           {form.twoPort ? "voip sip endpt2 expire" : "voip sip endpt1 expire",
                                            ApplyArea::Sip},
                                           {"voip rtp codec type", ApplyArea::Codec},
                                           {"voip rtp dtmf payloadtype", ApplyArea::Codec},
                                           {"voip rtp port end", ApplyArea::Codec}};
    int round = 0;
    for (const ApplyTarget& target : targets) {
        SCOPED_TRACE(target.command);
        EditEverything(run.workflow, ++round);
        const std::vector<int> changed = ChangedPositions(run.workflow.Pages().DialPlan());
        ASSERT_EQ((std::vector<int>{2, 4, 6}), changed);

        // Every command this apply sends, in order, with the one the fault hits.
        const std::vector<std::string> lastSip = run.workflow.Router().sipFields;
        const std::vector<std::string> lastCodec = run.workflow.Router().codecFields;
        const std::optional<ApplyPlan> planned = run.workflow.PlanApply();
        ASSERT_TRUE(planned);
        const ApplyPlan& plan = *planned;
        // Entry 3 goes out as long as the router still holds it.
        ASSERT_EQ((round == 1 ? 3u : 2u) + 10u + 6u, plan.commands.size());
        std::size_t hit = plan.commands.size();
        for (std::size_t i = 0; i < plan.commands.size() && hit == plan.commands.size(); ++i) {
            const std::string& text = plan.commands[i].text;
            if (text == target.command || text.rfind(std::string(target.command) + " ", 0) == 0) hit = i;
        }
        ASSERT_LT(hit, plan.commands.size());
        ASSERT_EQ(target.area, plan.commands[hit].area);
        std::vector<std::string> all;
        for (const ApplyCommand& command : plan.commands) all.push_back(command.text);

        run.Fault(form, std::string(fault.name) + "=" + target.command);
        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        const ApplyOutcome outcome = run.workflow.ApplyFlow();
        run.ClearFaults(form);

        if (!fault.fails) {
            EXPECT_EQ(ApplyOutcome::Applied, outcome);
            EXPECT_EQ(std::vector<std::string>{kMsgApplied}, run.port.MessageTexts());
            EXPECT_EQ(all, run.CommandsOf(form));
            EXPECT_TRUE(ChangedPositions(run.workflow.Pages().DialPlan()).empty());
            EXPECT_EQ(plan.pages.sipRow, run.workflow.Router().sipFields);
            EXPECT_EQ(plan.pages.codecRow, run.workflow.Router().codecFields);
            EXPECT_FALSE(run.workflow.Refresh().Blocked());
            if (::testing::Test::HasFailure()) break;
            continue;
        }

        EXPECT_EQ(ApplyOutcome::Failed, outcome);
        const std::string failure =
            std::string(fault.name) == "error-in"
                ? "The router refused a command; the apply was stopped there.\n" + plan.commands[hit].ShownText() +
                      "\n\"Error: command failed\""
                : ApplyFailureText(target.command, target.area);
        ExpectOneError(run, failure);
        EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + hit + 1), run.CommandsOf(form));
        EXPECT_EQ(changed, ChangedPositions(run.workflow.Pages().DialPlan()));
        const bool sipDone = target.area == ApplyArea::Codec;
        const std::vector<std::string>& sipHeld = sipDone ? plan.pages.sipRow : lastSip;
        if (sipDone || target.area == ApplyArea::DialPlan) {
            EXPECT_EQ(sipHeld, run.workflow.Router().sipFields);
        }
        if (target.area != ApplyArea::Codec) {
            EXPECT_EQ(lastCodec, run.workflow.Router().codecFields);
        }
        EXPECT_TRUE(run.workflow.Refresh().Blocked());

        // Ready for the next exchange: what went through is known to be held, so only the entries from
        // the failed one on go out again, and a SIP or codec group whole while a field it did not get
        // to still differs.
        const auto pending = [&](ApplyArea area, const std::vector<std::string>& held,
                                 const std::vector<std::string>& wanted) {
            for (std::size_t i = hit; i < plan.commands.size(); ++i) {
                const std::size_t field = plan.commands[i].target;
                if (plan.commands[i].area == area && held.at(field) != wanted.at(field)) return true;
            }
            return false;
        };
        const bool sipPending = pending(ApplyArea::Sip, lastSip, plan.pages.sipRow);
        const bool codecPending = pending(ApplyArea::Codec, lastCodec, plan.pages.codecRow);
        std::vector<std::string> again;
        for (std::size_t i = 0; i < plan.commands.size(); ++i) {
            const ApplyCommand& command = plan.commands[i];
            if ((command.area == ApplyArea::DialPlan && i < hit) || (command.area == ApplyArea::Sip && !sipPending) ||
                (command.area == ApplyArea::Codec && !codecPending))
                continue;
            again.push_back(command.text);
        }
        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        // The last command failed and its value was the router's already: there is nothing left to send.
        EXPECT_EQ(again.empty() ? ApplyOutcome::NoChanges : ApplyOutcome::Applied, run.workflow.ApplyFlow());
        EXPECT_EQ(std::vector<std::string>{again.empty() ? kNoChangesText : kMsgApplied}, run.port.MessageTexts());
        EXPECT_EQ(again, run.CommandsOf(form));
        EXPECT_TRUE(ChangedPositions(run.workflow.Pages().DialPlan()).empty());
        EXPECT_EQ(again.empty(), run.workflow.Refresh().Blocked());
        if (::testing::Test::HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ApplyFaultTest,
    ::testing::Combine(::testing::Values(kTwoPortForm, kOnePortForm),
                       ::testing::Values(ApplyFault{"silent-in", true}, ApplyFault{"drop-in", true},
                                         ApplyFault{"big-output", true}, ApplyFault{"error-in", true},
                                         ApplyFault{"garbage-in", false})),
    [](const auto& info) {
        std::string fault = std::get<1>(info.param).name;
        fault.erase(fault.find('-'), 1);
        return FormName(std::get<0>(info.param)) + "_" + fault;
    });

class ApplySessionFaultTest : public ::testing::TestWithParam<RouterForm> {};

// Faults of the whole connection during an apply: nothing is sent, every changed flag and both last
// rows stay, and the apply after it sends everything.
TEST_P(ApplySessionFaultTest, LoginAndSilenceFailuresSendNothingAndKeepEverythingForTheNextApply) {
    const RouterForm form = GetParam();
    EmulatedWorkflow run;
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(form));
    struct Case {
        const char* fault;
        const char* message;
    };
    int round = 0;
    // Entry 3, deleted by the first round's apply, is already empty on the router in the second, and a
    // failed apply that sent nothing changes nothing of what is known: it is not sent again.
    for (const Case& c : {Case{"no-shell-prompt", kMsgLogin},
                          Case{"silent-after-login", "Failed to set DialPlan data to router!"}}) {
        SCOPED_TRACE(c.fault);
        EditEverything(run.workflow, ++round);
        const ProgramState edited = run.State();
        run.Fault(form, c.fault);
        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        EXPECT_EQ(ApplyOutcome::Failed, run.workflow.ApplyFlow());
        run.ClearFaults(form);
        ExpectOneError(run, c.message);
        // A router silent after its prompt never receives a whole command line.
        EXPECT_TRUE(run.CommandsOf(form).empty());
        const ProgramState after = run.State();
        EXPECT_TRUE(after == edited) << Differences(after, edited);

        run.sim.ClearCommandLog();
        run.port.messages.shown.clear();
        EXPECT_EQ(ApplyOutcome::Applied, run.workflow.ApplyFlow());
        EXPECT_EQ(std::vector<std::string>{kMsgApplied}, run.port.MessageTexts());
        EXPECT_EQ((round == 1 ? 3u : 2u) + 10u + 6u, run.CommandsOf(form).size());
    }
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, ApplySessionFaultTest,
                         ::testing::Values(kTwoPortForm, kOnePortForm),
                         [](const auto& info) { return FormName(info.param); });

}  // namespace
}  // namespace dezadav::testing
