#include "settings/settings_json.h"
#include "workflow/router_workflow.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "history/git_history.h"
#include "lang/messages.h"
#include "session/clock.h"
#include "session/telnet_socket.h"
#include "support/router_commands.h"
#include "support/routersim_process.h"
#include "support/temp_files.h"
#include "support/workflow_harness.h"

namespace dezadav::testing {
namespace {

constexpr const char* kTwoPortIp = "127.0.0.2";
constexpr const char* kOnePortIp = "127.0.0.3";

RouterSelection Choose(const std::string& model, const std::string& ip) {
    return Chosen(model, ip, ip == kTwoPortIp ? "00-11-22-33-44-02" : "00-11-22-33-44-03");
}
RouterSelection TwoPortRouter() {
    return Choose("DZV-R5730K", kTwoPortIp);
}
RouterSelection OnePortRouter() {
    return Choose("DZV-R5830K", kOnePortIp);
}

class RouterWorkflowTest : public ::testing::Test, protected SocketLine, protected WorkflowHarness<> {
protected:
    RouterWorkflowTest() : WorkflowHarness(socket, clock) {}
    void SetUp() override {
        ASSERT_TRUE(sim.IsRunning());
        workflow.Exchange().SetTelnetPort(sim.TelnetPort());
    }

    // The commands one router received since the log was last cleared, without the address.
    std::vector<std::string> CommandsOf(const std::string& ip) { return testing::CommandsOf(sim, ip); }
    static bool Contains(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // One period of the refresh timer; the timer must be running, as a real one only fires then.
    RefreshOutcome Tick() {
        EXPECT_TRUE(timer.IsActive());
        return workflow.RefreshTick();
    }

    ConnectOutcome ConnectTo(RouterSelection selection, RouterWorkflow* started = nullptr) {
        port.selections.push_back(selection);
        port.passwords.push_back("admin");
        return (started != nullptr ? *started : workflow).ConnectSequence();
    }

    std::string TempPath(const std::string& name) { return m_temp.Path(name); }

    // A run of a session of its own against the two-port router, beside the workflow's.
    SessionResult RunOwnSession(SessionMode mode, const ApplyPlan& plan = {}) {
        CTelnetSocket ownSocket;
        RecordingMessagePort quiet;
        RouterSession own{ownSocket, clock, language, quiet};
        SessionRequest request;
        request.telnetPort = sim.TelnetPort();
        request.routerIp = kTwoPortIp;
        request.password = "admin";
        request.modelName = "DZV-R5730K";
        request.mode = mode;
        request.plan = plan;
        return own.Run(request);
    }
    // The two-port router's call log as a log fetch of its own reads it.
    CallLogTable TwoPortCallLog() {
        CallLogTable log;
        log.ParseCallLog(RunOwnSession(SessionMode::GetVoipLog).fetched.callLog);
        return log;
    }

    RouterSimProcess sim;

private:
    TempFiles m_temp{"dezadav_wf_"};
};

TEST_F(RouterWorkflowTest, TwoPortRouterIsFetchedWholeAndHandedToEveryModel) {
    int codecCountAtControls = -1;
    port.onPerModelControls = [&](bool) { codecCountAtControls = workflow.Pages().Codec().Codec().Count(); };

    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);

    auto commands = CommandsOf(kTwoPortIp);
    EXPECT_EQ(commands,
              (std::vector<std::string>{"voip dial_plan list -t", "voip sip endpt1", "voip sip endpt2",
                                        "voip sip port", "voip sip registrar", "voip rtp codec",
                                        "voip rtp dtmf", "voip rtp port", "voip sip calllog"}));
    EXPECT_EQ(port.fadeIns, 1);
    EXPECT_EQ(port.perModelCalls, std::vector<bool>{true});
    EXPECT_EQ(codecCountAtControls, 5);
    EXPECT_EQ(workflow.Connected().Strip(), (RouterStrip{"DZV-R5730K", "1.0.0", kTwoPortIp, "00-11-22-33-44-02"}));
    EXPECT_EQ(workflow.Connected().router.password, "admin");
    EXPECT_FALSE(workflow.Connected().skipMark);
    EXPECT_FALSE(workflow.Refresh().Blocked());
    EXPECT_EQ(port.progressShown, std::vector<std::string>{"Get Setting from router ..."});
    EXPECT_EQ(port.progressCauses, std::vector<ExchangeCause>{ExchangeCause::UserAction});
    EXPECT_EQ(port.progressHidden, 1);
    EXPECT_EQ(port.confirmationsClosed, 1);
    EXPECT_TRUE(port.messages.shown.empty());

    // Second voice port parsed, dial plan in the two-port layout, codec list keeps five entries.
    EXPECT_EQ(workflow.Pages().Sip().Port1UserName(), "4930123401");
    EXPECT_EQ(workflow.Pages().Sip().Port2UserName(), "4930123402");
    EXPECT_EQ(workflow.Pages().Sip().Registrar(), "sip.provider.example.net");
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).phoneNumber, "101");
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).sipAddress, "reception@192.168.1.21");
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).loopThrough, std::nullopt);
    EXPECT_EQ(workflow.Pages().Codec().Codec().Count(), 5);
    EXPECT_EQ(workflow.Pages().Codec().DtmfModeValue(), 1);
    EXPECT_EQ(workflow.Pages().CallLog().RecordCount(), 6);
    EXPECT_EQ(workflow.Pages().CallLog().Rows()[0].time, "16:20:11");

    // Refresh is on: box ticked and enabled, timer running at 1000 ms, counter at 0.
    EXPECT_TRUE(workflow.Refresh().On());
    EXPECT_TRUE(workflow.AutoRefreshEnabled());
    ASSERT_FALSE(port.autoRefreshShown.empty());
    EXPECT_EQ(port.autoRefreshShown.back(), std::make_pair(true, true));
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(timer.PeriodMs(), 1000);
    EXPECT_EQ(workflow.Refresh().Count(), 0);
}

TEST_F(RouterWorkflowTest, OnePortRouterSkipsTheSecondPortAndOffersThreeCodecs) {
    int codecCountAtControls = -1;
    int codecSelectedAtControls = -1;
    port.onPerModelControls = [&](bool) {
        codecCountAtControls = workflow.Pages().Codec().Codec().Count();
        codecSelectedAtControls = workflow.Pages().Codec().Codec().Selected();
    };
    workflow.Pages().Codec().Codec().Select(4);  // the trimming must not depend on the earlier selection

    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);

    auto commands = CommandsOf(kOnePortIp);
    EXPECT_FALSE(Contains(commands, "voip sip endpt2"));
    EXPECT_EQ(commands.size(), 8u);
    EXPECT_EQ(port.perModelCalls, std::vector<bool>{false});
    // Trimmed to three with the third selected before the codec output was read.
    EXPECT_EQ(codecCountAtControls, 3);
    EXPECT_EQ(codecSelectedAtControls, 2);
    EXPECT_EQ(workflow.Pages().Codec().Codec().Count(), 3);
    EXPECT_EQ(workflow.Pages().Codec().Codec().Selected(), 0);  // the router's codec
    EXPECT_EQ(workflow.Pages().Sip().Port1UserName(), "0301234567");
    EXPECT_EQ(workflow.Pages().Sip().Port2UserName(), "p1");  // never read from a one-port router
    EXPECT_TRUE(workflow.Pages().Sip().UseRegistrar());
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).loopThrough, LoopThrough::Isdn);
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).backupNumber, "5551001");

    // Search Again to the two-port router: its five codecs are offered again, and only its calls.
    ASSERT_EQ(sim.Control("addcall 127.0.0.2").rfind("OK", 0), 0u);  // a call the other router lacks
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(workflow.Pages().Codec().Codec().Count(), 5);
    EXPECT_EQ(workflow.Pages().CallLog().Rows(), TwoPortCallLog().Rows());
}

// Cancelling after a failed login with no router before leaves the program as after Skip: no router's
// fields, no refresh, and the next apply asks for a router. (Failed logins themselves: the fault suite.)
TEST_F(RouterWorkflowTest, CancelAfterAFailedFirstLoginLeavesTheProgramAsAfterSkip) {
    port.selections.push_back(TwoPortRouter());
    port.passwords = {"wrong"};
    EXPECT_EQ(workflow.ConnectSequence(), ConnectOutcome::Cancelled);
    EXPECT_EQ(workflow.Connected().router.ipAddress, "");
    EXPECT_TRUE(workflow.Connected().skipMark);
    EXPECT_FALSE(workflow.Refresh().Blocked());
    EXPECT_FALSE(timer.IsActive());
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).phoneNumber, "");  // models untouched
}

TEST_F(RouterWorkflowTest, SkipAtStartLeavesNoRouterAndApplyAsksForOneFirst) {
    port.selections.push_back(RouterSelection{SelectionOutcome::Skip, {}});
    ASSERT_EQ(workflow.ConnectSequence(), ConnectOutcome::Skipped);

    EXPECT_TRUE(workflow.Connected().skipMark);
    EXPECT_EQ(workflow.Connected().Strip(), RouterStrip{});
    EXPECT_FALSE(workflow.Refresh().On());
    EXPECT_FALSE(workflow.AutoRefreshEnabled());
    EXPECT_EQ(port.autoRefreshShown.back(), std::make_pair(false, false));
    EXPECT_FALSE(timer.IsActive());
    EXPECT_TRUE(port.confirmations.empty());
    EXPECT_EQ(port.endProgramCalls, 0);

    // Skip again in the selection of the apply: nothing is sent, the mark stays.
    port.selections.push_back(RouterSelection{SelectionOutcome::Skip, {}});
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Skipped);
    EXPECT_TRUE(workflow.Connected().skipMark);

    // A router chosen but its confirmation cancelled: still nothing sent, still no router.
    port.selections.push_back(OnePortRouter());
    port.passwords.push_back(std::nullopt);
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Cancelled);
    EXPECT_TRUE(workflow.Connected().skipMark);
    EXPECT_EQ(workflow.Connected().Strip().ip, "");
    EXPECT_TRUE(sim.CommandLog().empty());

    // Chosen and confirmed: the apply reaches that router with the confirmed password, and the
    // strip shows it.
    workflow.Pages().DialPlan().SetEntry(4,
                                 DialPlanEntry{"5", "555", "", "desk@10.1.1.1", LoopThrough::Pstn, "", "V"});
    port.selections.push_back(OnePortRouter());
    port.passwords.push_back("admin");
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_FALSE(workflow.Connected().skipMark);
    EXPECT_EQ(workflow.Connected().Strip().ip, kOnePortIp);
    EXPECT_EQ(workflow.Connected().Strip().model, "DZV-R5830K");
    EXPECT_TRUE(Contains(CommandsOf(kOnePortIp), "voip dial_plan set 5 555 desk 10.1.1.1 1 2 \"\""));
    EXPECT_FALSE(workflow.Pages().DialPlan().IsChanged(4));
    EXPECT_EQ(port.MessageTexts().back(), "Settings have been applied to router.");
    EXPECT_EQ(port.selectCalls, 4);
}

TEST_F(RouterWorkflowTest, ApplyAfterSkipReadsTheRouterFirstAndWritesOnlyWhatDiffersInItsForm) {
    // A settings file saved from the one-port router, loaded after Skip and applied to the two-port
    // one, whose call log has meanwhile grown. (Workflows built here take their texts in English.)
    RouterWorkflow first{language, port, session, timer, files};
    first.Exchange().SetTelnetPort(sim.TelnetPort());
    ASSERT_EQ(ConnectTo(OnePortRouter(), &first), ConnectOutcome::Connected);
    const std::string path = TempPath("one_port.csv");
    WriteAll(path, first.Files().SettingsFileText());
    ASSERT_EQ(sim.Control("addcall 127.0.0.2").rfind("OK", 0), 0u);  // a call the other router lacks
    const auto applyFileAfterSkip = [&](RouterWorkflow& started, ApplyOutcome outcome) {
        started.Exchange().SetTelnetPort(sim.TelnetPort());
        port.selections = {RouterSelection{SelectionOutcome::Skip, {}}, TwoPortRouter()};
        port.passwords = {"admin"};
        port.applyDespiteAnswers = {true};  // a one-port file to a two-port router: asked first
        EXPECT_EQ(started.ConnectSequence(), ConnectOutcome::Skipped);
        EXPECT_EQ(started.Files().LoadSettingsFile(path), FileOutcome::Done);
        started.Pages().DialPlan().SetEntry(
            1, DialPlanEntry{"2", "1020", "", "sales@192.168.1.22", std::nullopt, "", "V"});
        sim.ClearCommandLog();
        EXPECT_EQ(started.ApplyFlow(), outcome);
        const auto commands = CommandsOf(kTwoPortIp);  // the nine of the fetch, then the apply's
        return std::vector<std::string>(commands.begin() + std::min<std::size_t>(9, commands.size()),
                                        commands.end());
    };

    // The router's values differ: the file's go out in the two-port form, "30 mins" stays 30 minutes,
    // and port 2 (never shown by the one-port pages) stays as the router holds it.
    std::vector<std::string> sent = applyFileAfterSkip(first, ApplyOutcome::Applied);
    EXPECT_TRUE(Contains(sent, "voip dial_plan set 2 1020 sales 192.168.1.22 1"));
    EXPECT_TRUE(Contains(sent, "voip sip endpt1 expire 2"));
    EXPECT_TRUE(Contains(sent, "voip sip endpt2 name 4930123402"));
    // Connected to that router as after a Connect sequence, its own calls on the log page.
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(first.Pages().CallLog().Rows(), TwoPortCallLog().Rows());

    // The router now holds the file's values: the same file again sends nothing, its entries brought
    // into the two-port form (which keeps no loop-through or backup number) being what it holds.
    RouterWorkflow second{language, port, session, timer, files};
    sent = applyFileAfterSkip(second, ApplyOutcome::NoChanges);
    EXPECT_TRUE(sent.empty());
}

TEST_F(RouterWorkflowTest, AFileLoadedAfterSkipIsReadInTheFormItWasWrittenIn) {
    // Saved from the two-port router (its expiry list is two entries shorter at the top), loaded
    // after Skip, applied to the one-port router: the duration shown and sent is the file's.
    RouterWorkflow first{language, port, session, timer, files};
    first.Exchange().SetTelnetPort(sim.TelnetPort());
    ASSERT_EQ(ConnectTo(TwoPortRouter(), &first), ConnectOutcome::Connected);
    const std::string duration = first.Pages().Sip().Port1Expiry().SelectedText();
    const std::string path = TempPath("two_port.csv");
    WriteAll(path, first.Files().SettingsFileText());

    RouterWorkflow started{language, port, session, timer, files};
    started.Exchange().SetTelnetPort(sim.TelnetPort());
    port.selections = {RouterSelection{SelectionOutcome::Skip, {}}, OnePortRouter()};
    port.passwords = {"admin"};
    ASSERT_EQ(started.ConnectSequence(), ConnectOutcome::Skipped);
    ASSERT_FALSE(started.Pages().Sip().IsTwoPort());
    ASSERT_EQ(started.Files().LoadSettingsFile(path), FileOutcome::Done);
    EXPECT_TRUE(started.Pages().Sip().IsTwoPort());
    EXPECT_EQ(port.perModelCalls.back(), true);
    EXPECT_EQ(started.Pages().Sip().Port1Expiry().SelectedText(), duration);
    port.applyDespiteAnswers = {true};
    EXPECT_EQ(started.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_EQ(port.applyDespiteAsked.size(), 1u);

    RouterWorkflow check{language, port, session, timer, files};
    check.Exchange().SetTelnetPort(sim.TelnetPort());
    ASSERT_EQ(ConnectTo(OnePortRouter(), &check), ConnectOutcome::Connected);
    EXPECT_EQ(check.Pages().Sip().Port1Expiry().SelectedText(), duration);
}

TEST_F(RouterWorkflowTest, ExitInTheSelectionEndsTheProgramAtStartAndAfterSkip) {
    EXPECT_EQ(workflow.ConnectSequence(), ConnectOutcome::Exited);  // unscripted selection: Exit
    EXPECT_EQ(port.endProgramCalls, 1);
    EXPECT_FALSE(workflow.Connected().skipMark);

    port.selections.push_back(RouterSelection{SelectionOutcome::Skip, {}});
    ASSERT_EQ(workflow.ConnectSequence(), ConnectOutcome::Skipped);
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Exited);
    EXPECT_EQ(port.endProgramCalls, 2);
    EXPECT_TRUE(port.confirmations.empty());
}

TEST_F(RouterWorkflowTest, CancelAtStartLeavesTheProgramAsAfterSkip) {
    port.selections.push_back(TwoPortRouter());
    port.passwords.push_back(std::nullopt);
    ASSERT_EQ(workflow.ConnectSequence(), ConnectOutcome::Cancelled);
    EXPECT_EQ(workflow.Connected().Strip(), RouterStrip{});
    EXPECT_TRUE(workflow.Connected().skipMark);
    EXPECT_EQ(workflow.Connected().router.ipAddress, "");
    EXPECT_EQ(port.confirmationsClosed, 1);

    // The apply asks for a router (unscripted: Exit) instead of trying an empty address.
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Exited);
    EXPECT_EQ(port.selectCalls, 2);
    EXPECT_TRUE(port.MessageTexts().empty());
    EXPECT_TRUE(sim.CommandLog().empty());
}

TEST_F(RouterWorkflowTest, RefreshRunsOnTheTwelfthTickWithTenSecondsAndMergesNewCalls) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    workflow.SetRefreshSeconds(10);
    sim.ClearCommandLog();
    ASSERT_EQ(sim.Control("addcall 127.0.0.2 03-14-2024 10:00:00 42 OUT 555@x.example.net").rfind("OK", 0),
              0u);

    for (int tick = 1; tick <= 11; ++tick) {
        ASSERT_EQ(Tick(), RefreshOutcome::Counted) << "tick " << tick;
        EXPECT_EQ(workflow.Refresh().Count(), tick);
    }
    EXPECT_TRUE(sim.CommandLog().empty());
    const int startsBefore = timer.starts;
    EXPECT_EQ(Tick(), RefreshOutcome::Refreshed);
    EXPECT_EQ(CommandsOf(kTwoPortIp), std::vector<std::string>{"voip sip calllog"});
    EXPECT_EQ(workflow.Refresh().Count(), 0);
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(timer.starts, startsBefore + 1);  // stopped for the run, started again after it
    EXPECT_FALSE(workflow.Refresh().Blocked());
    EXPECT_EQ(port.progressShown.back(), "Get VoIP Log from router ...");
    EXPECT_EQ(port.progressCauses.back(), ExchangeCause::AutomaticRefresh);

    const auto& top = workflow.Pages().CallLog().Rows()[0];
    EXPECT_EQ(top.number, "No.1");
    EXPECT_EQ(top.date, "03-14-2024");
    EXPECT_EQ(top.time, "10:00:00");
    EXPECT_EQ(workflow.Pages().CallLog().RecordCount(), 7);
    EXPECT_EQ(workflow.Pages().CallLog().Rows()[1].time, "16:20:11");
}

TEST_F(RouterWorkflowTest, HiddenWindowRefreshesWithoutProgress) {
    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);
    workflow.Exchange().SetMainWindowVisible(false);
    workflow.SetRefreshSeconds(10);
    const auto progressBefore = port.progressShown.size();
    int ticks = 0;
    RefreshOutcome outcome = RefreshOutcome::Counted;
    while (outcome == RefreshOutcome::Counted && ticks < 20) {
        outcome = Tick();
        ++ticks;
    }
    EXPECT_EQ(outcome, RefreshOutcome::Refreshed);
    EXPECT_EQ(ticks, 12);
    EXPECT_EQ(port.progressShown.size(), progressBefore);
}

// Restored from the tray during a hidden refresh (tray icon or another copy), the window shows the
// progress at once, and an Apply or Search Again that gets through starts no second exchange.
TEST_F(RouterWorkflowTest, WindowRestoredDuringAHiddenRefreshShowsItAndStartsNoSecondExchange) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    workflow.Exchange().SetMainWindowVisible(false);
    workflow.SetRefreshSeconds(10);
    workflow.Pages().Codec().SetPayloadType("102");  // an edit an Apply would send
    for (int tick = 1; tick <= 11; ++tick) ASSERT_EQ(Tick(), RefreshOutcome::Counted);
    sim.ClearCommandLog();
    const auto progressBefore = port.progressShown.size();
    std::pair<ApplyOutcome, ConnectOutcome> during{};
    QTimer::singleShot(200, [&] {  // inside the refresh's opening wait
        workflow.Exchange().SetMainWindowVisible(true);
        during = {workflow.ApplyFlow(), workflow.ConnectSequence()};
    });
    EXPECT_EQ(Tick(), RefreshOutcome::Refreshed);
    EXPECT_EQ(during, std::pair(ApplyOutcome::Refused, ConnectOutcome::Refused));
    EXPECT_EQ(CommandsOf(kTwoPortIp), std::vector<std::string>{"voip sip calllog"});
    EXPECT_EQ(port.progressShown.size(), progressBefore + 1);
    EXPECT_EQ(port.progressHidden, static_cast<int>(port.progressShown.size()));
    EXPECT_TRUE(port.MessageTexts().empty());
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);  // clicked again, it goes through
}

// What leaving the program would lose: edits since the values were last fetched, saved or applied.
TEST_F(RouterWorkflowTest, EditsCountAsUnsavedUntilSavedOrApplied) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_FALSE(workflow.Pages().HasUnsavedEdits());
    workflow.Pages().Sip().SetRegistrar("reg.saved.example");
    EXPECT_TRUE(workflow.Pages().HasUnsavedEdits());
    port.saveChoices.push_back(TempPath("edits.csv"));
    ASSERT_EQ(workflow.Files().SaveAllFlow(), FileOutcome::Done);
    EXPECT_FALSE(workflow.Pages().HasUnsavedEdits());
    workflow.Pages().Codec().SetPayloadType("102");
    EXPECT_TRUE(workflow.Pages().HasUnsavedEdits());
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_FALSE(workflow.Pages().HasUnsavedEdits());
}

TEST_F(RouterWorkflowTest, AutoRefreshBoxStartsAndStopsTheTimer) {
    workflow.SetAutoRefresh(true);
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(timer.PeriodMs(), 1000);
    EXPECT_EQ(Tick(), RefreshOutcome::Counted);
    EXPECT_EQ(workflow.Refresh().Count(), 1);

    workflow.SetAutoRefresh(false);
    EXPECT_FALSE(timer.IsActive());
    EXPECT_EQ(workflow.Refresh().Count(), 0);

    // A tick that was already under way when the box was cleared stops the timer.
    timer.Start(1000);
    EXPECT_EQ(workflow.RefreshTick(), RefreshOutcome::Stopped);
    EXPECT_FALSE(timer.IsActive());

    // While the user answers a dialog a tick only counts, even far past the interval.
    workflow.SetAutoRefresh(true);
    port.inDialog = true;
    for (int tick = 1; tick <= 100; ++tick) ASSERT_EQ(Tick(), RefreshOutcome::Counted);
    EXPECT_TRUE(sim.CommandLog().empty());
}

TEST_F(RouterWorkflowTest, ApplyWithoutEditsSendsOnlyTheChangedValues) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    sim.ClearCommandLog();

    // Right after a fetch, or after a dial-plan edit typed back, nothing differs: no exchange, the
    // user is told.
    DialPlanEntry typedBack = workflow.Pages().DialPlan().Entry(0);
    const std::string number = typedBack.phoneNumber;
    typedBack.phoneNumber = "555";
    workflow.Pages().DialPlan().SetEntry(0, typedBack);
    typedBack.phoneNumber = number;
    workflow.Pages().DialPlan().SetEntry(0, typedBack);
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::NoChanges);
    EXPECT_EQ(port.MessageTexts().back(), "There are no changes to apply.");
    EXPECT_EQ(port.progressShown.size(), 1u);  // only the fetch's

    // One dial-plan edit and one codec edit: one dial-plan command and the six codec commands, shown
    // first as the two fields they change; not confirmed, nothing goes.
    DialPlanEntry entry = workflow.Pages().DialPlan().Entry(2);
    const std::string deletedNumber = entry.phoneNumber;
    entry.phoneNumber = "";
    workflow.Pages().DialPlan().SetEntry(2, entry);
    const std::string payloadType = workflow.Pages().Codec().PayloadType();
    workflow.Pages().Codec().SetPayloadType("102");
    port.confirmChangesAnswers = {false};
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::NotConfirmed);
    EXPECT_TRUE(CommandsOf(kTwoPortIp).empty());
    ASSERT_EQ(port.previews.size(), 1u);
    const std::vector<FieldDifference> preview = port.previews[0];
    ASSERT_EQ(preview.size(), 2u);
    EXPECT_EQ(preview[0].area, "Dial Plan 3");
    EXPECT_EQ(preview[0].before, deletedNumber);
    EXPECT_EQ(preview[0].after, "(deleted)");
    EXPECT_EQ(preview[1].before, payloadType);
    EXPECT_EQ(preview[1].after, "102");
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_EQ(port.previews[1], preview);
    auto commands = CommandsOf(kTwoPortIp);
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[0], "voip dial_plan del 3");
    EXPECT_EQ(commands[4], "voip rtp dtmf payloadtype 102");
    EXPECT_FALSE(workflow.Pages().DialPlan().IsChanged(2));

    // Applying again without edits sends nothing.
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::NoChanges);
}

TEST_F(RouterWorkflowTest, ApplyAfterANewFetchComparesTheCodecRowWithWhatTheRouterNowHolds) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    const std::vector<std::string> original = workflow.Pages().Codec().CodecFields(true);
    ASSERT_NE(original[3], "102");

    workflow.Pages().Codec().SetPayloadType("102");
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);

    // Someone else puts the router's codec values back behind the program's back.
    ApplyTexts back;
    back.codecRow = original;
    ASSERT_TRUE(RunOwnSession(SessionMode::ApplySettings, BuildApplyPlan(RouterSettings{}, back, true)).ok);

    // Search Again fetches the router's values; the user makes the same edit once more.
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(workflow.Pages().Codec().CodecFields(true), original);
    workflow.Pages().Codec().SetPayloadType("102");
    sim.ClearCommandLog();
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_TRUE(Contains(CommandsOf(kTwoPortIp), "voip rtp dtmf payloadtype 102"));

    // The router really holds the edit now.
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(workflow.Pages().Codec().PayloadType(), "102");
}

TEST_F(RouterWorkflowTest, SaveAllWritesTheSettingsFileOrSaysItCouldNot) {
    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);
    const std::string path = TempPath("all.csv");

    port.saveChoices.push_back(std::nullopt);
    EXPECT_EQ(workflow.Files().SaveAllFlow(), FileOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(path));

    port.saveChoices.push_back(path);
    ASSERT_EQ(workflow.Files().SaveAllFlow(), FileOutcome::Done);
    const std::string saved = ReadAll(path);
    EXPECT_EQ(saved, SaveAllText(workflow.Pages().Models()));
    EXPECT_NE(saved.find("1,101,,reception@192.168.1.21,ISDN,5551001,V\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n;LIST\r\n"), std::string::npos);
    EXPECT_TRUE(port.messages.shown.empty());

    port.saveChoices.push_back(TempPath("no_such_dir") + "/x.csv");
    EXPECT_EQ(workflow.Files().SaveAllFlow(), FileOutcome::OpenFailed);
    ASSERT_EQ(port.messages.shown.size(), 1u);
    EXPECT_EQ(port.messages.shown[0].text, "Couldn't save settings to the file!");
    EXPECT_EQ(port.messages.shown[0].caption, "Error");
}

TEST_F(RouterWorkflowTest, LoadReadsEverySectionAndReportsOnlyFailingOnes) {
    // Save the one-port router's settings, then load them into a fresh workflow.
    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);
    const std::string path = TempPath("load.csv");
    WriteAll(path, workflow.Files().SettingsFileText());

    ScriptedUserPort otherPort;
    ManualTickTimer otherTimer;
    RouterSession otherSession{socket, clock, language, otherPort.messages};
    RouterWorkflow fresh{language, otherPort, otherSession, otherTimer, files};
    otherPort.openChoices.push_back(std::nullopt);
    EXPECT_EQ(fresh.Files().LoadFlow(), FileOutcome::Cancelled);
    otherPort.openChoices.push_back(path);
    ASSERT_EQ(fresh.Files().LoadFlow(), FileOutcome::Done);
    EXPECT_EQ(fresh.Pages().DialPlan().Entry(0).phoneNumber, "101");
    EXPECT_TRUE(fresh.Pages().DialPlan().IsChanged(0));
    EXPECT_EQ(fresh.Pages().Sip().Port1UserName(), "0301234567");
    EXPECT_EQ(fresh.Pages().CallLog().RecordCount(), 6);
    EXPECT_EQ(fresh.Pages().CallLog().Rows(), workflow.Pages().CallLog().Rows());
    EXPECT_TRUE(otherPort.messages.shown.empty());

    // A file that cannot be opened: nothing changes, nothing is shown.
    EXPECT_EQ(fresh.Files().LoadSettingsFile(path + ".missing"), FileOutcome::OpenFailed);
    EXPECT_TRUE(otherPort.messages.shown.empty());

    // A row that is no codec row where the codec section stands: the whole file is refused, naming
    // where, and nothing changes.
    const std::string before = fresh.Files().SettingsFileText();
    const std::string broken = TempPath("broken.csv");
    WriteAll(broken, ";SIP\r\n2,9,9,9,99,9,-\r\n;END\r\n");
    EXPECT_EQ(fresh.Files().LoadSettingsFile(broken), FileOutcome::Refused);
    ASSERT_EQ(otherPort.MessageTexts().size(), 1u);
    EXPECT_EQ(otherPort.MessageTexts()[0],
              "The file was not loaded; nothing was changed or sent:\n" + broken +
                  ":2: Codecs \xC2\xB7 #7: \"-\" is a field the row does not have");
    EXPECT_EQ(fresh.Files().SettingsFileText(), before);
}

TEST_F(RouterWorkflowTest, DroppedFileLoadsOnlyWhenItsPathSaysCsv) {
    const std::string rows = "7,123,Bob,office@10.0.0.2,ISDN,555,V\r\n\r\n;LIST\r\n";
    const std::string plain = TempPath("drop.txt");
    WriteAll(plain, rows);
    EXPECT_EQ(workflow.Files().DropFile(plain), FileOutcome::Cancelled);
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(6).phoneNumber, "");

    const std::string upper = TempPath("drop.CSV");
    WriteAll(upper, rows);
    EXPECT_EQ(workflow.Files().DropFile(upper), FileOutcome::Cancelled);

    const std::string backup = TempPath("drop.csv.bak");
    WriteAll(backup, rows);
    EXPECT_EQ(workflow.Files().DropFile(backup), FileOutcome::Done);
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(6).phoneNumber, "123");
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(6).sipAddress, "office@10.0.0.2");
}

// A JSON document dropped on the window (or loaded) changes in the pages only what it names.
TEST_F(RouterWorkflowTest, ADroppedDocumentChangesOnlyWhatItNames) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    workflow.Files().SetDocumentReader([this](std::string_view document, std::string_view base, bool twoPort,
                                      std::string& problem) -> std::optional<std::string> {
        SettingsJsonRead read = ReadSettingsJson(document, base, twoPort, false, AllSettingsFileWords(language));
        problem = read.problem.value_or("");
        return read.problem ? std::nullopt : std::optional<std::string>(read.text);
    });
    const std::vector<std::string> sipBefore = workflow.Pages().Sip().SipFields();
    const std::string change = TempPath("change.json");
    WriteAll(change, R"({"sip": {"registrar": "new.example.net"}})");
    ASSERT_EQ(workflow.Files().DropFile(change), FileOutcome::Done);
    std::vector<std::string> expected = sipBefore;
    expected[1] = "new.example.net";
    EXPECT_EQ(workflow.Pages().Sip().SipFields(), expected);

    WriteAll(change, R"({"sip": {"ports": [{"expiry": "soon"}]}})");
    EXPECT_EQ(workflow.Files().DropFile(change), FileOutcome::Refused);
    EXPECT_EQ(workflow.Pages().Sip().SipFields(), expected);
    EXPECT_EQ(workflow.Files().LastFileProblem().rfind(change + ": /sip/ports/0/expiry: \"soon\"", 0), 0u)
        << workflow.Files().LastFileProblem();
}

// The history of the router's settings: a git repository in the temporary folder.
class HistoryWorkflowTest : public RouterWorkflowTest {
protected:
    void SetUp() override {
        RouterWorkflowTest::SetUp();
        std::string problem;
        history = GitHistory::Open(folder, "dezadav test", &problem);
        ASSERT_TRUE(history) << problem;
        workflow.Recorder().SetHistory(history.get(), HistoryCause::Fetch);
        workflow.Recorder().SetRecordLanguage(recordLanguage);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::vector<HistoryCause> Causes() {
        std::optional<std::string> problem;
        std::vector<HistoryCause> causes;
        for (const HistoryEntry& entry : workflow.Recorder().Records(workflow.Connected().HistoryKey(), &problem)) causes.push_back(entry.cause);
        EXPECT_FALSE(problem) << *problem;
        return causes;
    }
    void EditFirstNumber(const std::string& number) {
        DialPlanEntry entry = workflow.Pages().DialPlan().Entry(0);
        entry.phoneNumber = number;
        workflow.Pages().DialPlan().SetEntry(0, entry);
    }
    bool MessageShown(const MessageText& text) {
        const auto shown = port.MessageTexts();
        return std::any_of(shown.begin(), shown.end(),
                           [&](const std::string& m) { return m.starts_with(text.englishDefault); });
    }

    std::string folder = TempPath("history");
    LanguageTable recordLanguage = ShippedEnglish();
    std::unique_ptr<GitHistory> history;
};

// The git history, with every record read back as text that holds no settings.
class UnreadableRecords : public SettingsHistory {
public:
    explicit UnreadableRecords(SettingsHistory& kept) : m_kept(kept) {}
    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view text,
                          bool onlyWhenChanged) override {
        return m_kept.Record(router, cause, text, onlyWhenChanged);
    }
    std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>* problem) override {
        return m_kept.Entries(router, problem);
    }
    std::optional<std::string> SettingsAt(const HistoryRouter&, const std::string&,
                                          std::optional<std::string>*) override {
        return std::string("\x89PNG");
    }

private:
    SettingsHistory& m_kept;
};

TEST_F(HistoryWorkflowTest, AnUndoWhoseRecordIsNotSettingsSendsNothingAndKeepsTheEdits) {
    UnreadableRecords unreadable(*history);
    workflow.Recorder().SetHistory(&unreadable, HistoryCause::Fetch);
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EditFirstNumber("777");
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EditFirstNumber("888");
    sim.ClearCommandLog();

    EXPECT_EQ(workflow.UndoLastApply(), ApplyOutcome::Failed);
    EXPECT_TRUE(CommandsOf(kTwoPortIp).empty());
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).phoneNumber, "888");
}

TEST_F(HistoryWorkflowTest, ARecordTakenInOneLanguageIsUndoneWholeInAnother) {
    language.LoadLanguage(1, nullptr);
    workflow.Pages().Sip().Recaption();
    workflow.Pages().Codec().Recaption();
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    const int packetSize = workflow.Pages().Codec().PacketSize().Selected();
    const int expiry = workflow.Pages().Sip().Port1Expiry().Selected();
    workflow.Pages().Codec().PacketSize().Select(packetSize == 0 ? 1 : 0);
    workflow.Pages().Sip().Port1Expiry().Select(expiry == 0 ? 1 : 0);
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    std::optional<std::string> problem;
    const auto records = workflow.Recorder().Records(workflow.Connected().HistoryKey(), &problem);
    ASSERT_EQ(records.size(), 3u);
    const std::string recorded = history->SettingsAt(workflow.Connected().HistoryKey(), records[1].id, &problem).value_or("");
    const std::string packetKey(kPacketSizeKeys[static_cast<std::size_t>(packetSize)]);
    EXPECT_NE(recorded.find(recordLanguage.LookupText(packetKey)), std::string::npos) << recorded;

    // The window switches to English before the undo: the record still names every value.
    language.LoadLanguage(0, nullptr);
    workflow.Pages().Sip().Recaption();
    workflow.Pages().Codec().Recaption();
    ASSERT_EQ(workflow.UndoLastApply(), ApplyOutcome::Applied);
    EXPECT_EQ(port.previews.back().size(), 2u);
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(workflow.Pages().Codec().PacketSize().Selected(), packetSize);
    EXPECT_EQ(workflow.Pages().Sip().Port1Expiry().Selected(), expiry);
}

TEST_F(HistoryWorkflowTest, ChangedFetchesAndEveryApplyAreRecordedAndTheRecordBeforeTheApplyUndoesIt) {
    using enum HistoryCause;
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(Causes(), std::vector<HistoryCause>{Fetch});  // the second fetch found nothing new

    const std::string number = workflow.Pages().DialPlan().Entry(0).phoneNumber;
    EditFirstNumber("777");
    ASSERT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_EQ(Causes(), (std::vector<HistoryCause>{AfterApply, BeforeApply, Fetch}));
    std::optional<std::string> problem;
    const auto records = workflow.Recorder().Records(workflow.Connected().HistoryKey(), &problem);
    EXPECT_EQ(workflow.RecordBeforeLastApply(), records[1].id);
    EXPECT_EQ(history->SettingsAt(workflow.Connected().HistoryKey(), records[1].id, &problem),
              history->SettingsAt(workflow.Connected().HistoryKey(), records[2].id, &problem));

    const auto changes = workflow.Recorder().Changes(workflow.Connected().HistoryKey(), records);
    ASSERT_EQ(changes.size(), 3u);
    ASSERT_TRUE(changes[0].has_value());
    EXPECT_EQ(changes[0]->size(), 1u);
    EXPECT_FALSE(changes[2].has_value());  // the first record
    const auto againstPages = workflow.Recorder().RecordAgainst(
        workflow.Connected().HistoryKey(), records[2], SettingsView{workflow.Pages().DialPlan(), workflow.Pages().Sip(), workflow.Pages().Codec()}, true,
        &problem);
    ASSERT_TRUE(againstPages.has_value());
    ASSERT_EQ(againstPages->size(), 1u);
    EXPECT_EQ((*againstPages)[0].before, "777");
    EXPECT_EQ((*againstPages)[0].after, number);

    // An apply refused for a value out of range sends nothing and leaves the history as it was: the
    // undo after it is still recorded before it sends.
    const std::string sipPort = workflow.Pages().Sip().SipPort();
    workflow.Pages().Sip().SetSipPort("70000");
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Failed);
    workflow.Pages().Sip().SetSipPort(sipPort);
    EXPECT_EQ(Causes().size(), 3u);

    // An undo not confirmed leaves the pages' edits as they were.
    EditFirstNumber("888");
    port.confirmChangesAnswers.push_back(false);
    EXPECT_EQ(workflow.UndoLastApply(), ApplyOutcome::NotConfirmed);
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).phoneNumber, "888");
    EXPECT_TRUE(workflow.Pages().HasUnsavedEdits());

    // Undo: the record before the apply, loaded into the pages and applied after the same preview
    // reversed, is what a fetch then reads.
    ASSERT_EQ(workflow.UndoLastApply(), ApplyOutcome::Applied);
    ASSERT_EQ(port.previews.back().size(), 1u);
    EXPECT_EQ(port.previews.back()[0].after, number);
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(workflow.Pages().DialPlan().Entry(0).phoneNumber, number);
    EXPECT_EQ(Causes(), (std::vector<HistoryCause>{Undo, BeforeApply, AfterApply, BeforeApply, Fetch}));
    EXPECT_EQ(workflow.RestoreRecord(std::string(40, '0')), FileOutcome::OpenFailed);
}

TEST_F(HistoryWorkflowTest, AnApplyWhoseRecordCannotBeWrittenSendsNothingUnlessTheUserAgrees) {
    ASSERT_EQ(ConnectTo(TwoPortRouter()), ConnectOutcome::Connected);
    // Where the records' contents go is a file now: nothing can be written any more.
    std::filesystem::remove_all(folder + "/objects");
    std::ofstream(folder + "/objects") << "in the way";
    EditFirstNumber("777");
    sim.ClearCommandLog();

    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::NotRecorded);
    EXPECT_TRUE(CommandsOf(kTwoPortIp).empty());
    ASSERT_EQ(port.applyWithoutRecordAsked.size(), 1u);
    EXPECT_TRUE(port.applyWithoutRecordAsked[0].starts_with(kMsgApplyWithoutRecord.englishDefault));
    EXPECT_TRUE(MessageShown(kMsgHistoryApplyRefused));

    port.applyWithoutRecordAnswers.push_back(true);
    EXPECT_EQ(workflow.ApplyFlow(), ApplyOutcome::Applied);
    EXPECT_EQ(CommandsOf(kTwoPortIp).size(), 1u);
    EXPECT_TRUE(MessageShown(kMsgHistoryNotRecorded));  // the record after it could not be written either
    EXPECT_TRUE(workflow.RecordBeforeLastApply().empty());
}

TEST_F(HistoryWorkflowTest, EachRouterKeepsOnlyItsOwnValuesWhicheverFormCameBefore) {
    // Values of the router before that the other form lacks: port 2's account, a loop-through and a
    // backup number.
    const struct {
        RouterSelection first, second;
        std::vector<std::string> foreign;
    } orders[] = {{TwoPortRouter(), OnePortRouter(), {"4930123402", "s3cret-two"}},
                  {OnePortRouter(), TwoPortRouter(), {",ISDN,", "5551001"}}};
    const std::string path = TempPath("saved.csv");
    for (const auto& order : orders) {
        ASSERT_EQ(ConnectTo(order.first), ConnectOutcome::Connected);
        ASSERT_EQ(ConnectTo(order.second), ConnectOutcome::Connected);
        port.saveChoices.push_back(path);
        ASSERT_EQ(workflow.Files().SaveAllFlow(), FileOutcome::Done);
        std::optional<std::string> problem;
        const std::string record =
            history->SettingsAt(workflow.Connected().HistoryKey(), workflow.Recorder().Records(workflow.Connected().HistoryKey(), &problem).front().id, &problem)
                .value_or("");
        ASSERT_FALSE(record.empty());
        for (const std::string& value : order.foreign) {
            EXPECT_EQ(ReadAll(path).find(value), std::string::npos) << value;
            EXPECT_EQ(record.find(value), std::string::npos) << value;
        }
        // Fetched again, the router holds nothing new to record.
        const std::size_t records = Causes().size();
        ASSERT_EQ(ConnectTo(order.second), ConnectOutcome::Connected);
        EXPECT_EQ(Causes().size(), records);
    }
}

TEST_F(HistoryWorkflowTest, ALanguageSwitchChangesNoValue) {
    language.LoadLanguage(1, nullptr);
    workflow.Pages().Sip().Recaption();
    workflow.Pages().Codec().Recaption();
    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);
    const std::string savedInSimplified = workflow.Files().SettingsFileText();
    const std::string noneWord = LoopThroughWord(LoopThrough::None, &language);
    EXPECT_NE(savedInSimplified.find("3,103,,support@192.168.1.23," + noneWord + ",,-"), std::string::npos);

    language.LoadLanguage(2, nullptr);
    workflow.Pages().Sip().Recaption();
    workflow.Pages().Codec().Recaption();
    ASSERT_NE(LoopThroughWord(LoopThrough::None, &language), noneWord);
    EXPECT_FALSE(workflow.Pages().HasUnsavedEdits());
    // An entry confirmed unchanged in the dialog is no change; nor is a record taken in the other
    // language, nor the file saved in it.
    workflow.Pages().DialPlan().SetEntry(2, workflow.Pages().DialPlan().Entry(2));
    std::optional<std::string> problem;
    const std::vector<HistoryEntry> records = workflow.Recorder().Records(workflow.Connected().HistoryKey(), &problem);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(workflow.RestoreRecord(records[0].id), FileOutcome::Done);
    const std::string file = TempPath("simplified.csv");
    WriteAll(file, savedInSimplified);
    ASSERT_EQ(workflow.Files().LoadSettingsFile(file), FileOutcome::Done);
    const std::optional<ApplyPlan> plan = workflow.PlanApply();
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->commands.empty());
    EXPECT_TRUE(workflow.Recorder().ApplyPreview(workflow.Router(), *plan, workflow.Connected().IsTwoPort()).empty());

    // A fetch in the other language finds nothing new.
    ASSERT_EQ(ConnectTo(OnePortRouter()), ConnectOutcome::Connected);
    EXPECT_EQ(Causes(), std::vector<HistoryCause>{HistoryCause::Fetch});
}

}  // namespace
}  // namespace dezadav::testing
