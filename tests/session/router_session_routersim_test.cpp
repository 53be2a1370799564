// Whole runs of the session against the router emulator on loopback.
#include <gtest/gtest.h>

#include <QTimer>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "router_commands.h"
#include "router_state.h"
#include "session/apply_commands.h"
#include "session/router_session.h"
#include "session/telnet_socket.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/sip_settings.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"
#include "support/time_scaled_connection.h"

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
void PrintTo(const RouterForm& form, std::ostream* out) {
    *out << form.model << " at " << form.ip;
}
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

// A session run set up against one emulated router. Time runs `timeFactor` (by default 20) times
// faster on its clock, so the runs that end in a time-out take a fraction of a second.
class EmulatedRun {
public:
    EmulatedRun(const RouterSimProcess& sim, const RouterForm& form, int64_t timeFactor = 20)
        : clock(timeFactor), scaled(socket, clock) {
        request.routerIp = form.ip;
        request.modelName = form.model;
        request.password = "admin";
        request.telnetPort = sim.TelnetPort();
    }
    bool Fetch(bool logOnly) {
        request.mode = logOnly ? SessionMode::GetVoipLog : SessionMode::GetSettings;
        last = dlg.Run(request);
        return last.ok;
    }
    CTelnetSocket socket;
    FastClock clock;
    TimeScaledConnection scaled;
    LanguageTable language;
    RecordingMessagePort port;
    RouterSession dlg{scaled, clock, language, port};
    SessionRequest request;
    SessionResult last;  // of the last run
};

// What the emulated router of `form`, in its starting state, prints for `command` after the echoed
// line break, in the captured form: the output's opening empty line, its lines, the prompt, LF CR.
// (The readers of the dial-plan listing count byte positions from that opening line break.)
std::string Printed(const RouterForm& form, std::string_view command) {
    routersim::RouterState state = routersim::DefaultRouterState(form.twoPort);
    return "\n\r" + routersim::RunRouterCommand(state, std::string(command)).output + form.model + "> " +
           "\n\r";
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
    RouterSession dlg(socket, clock, language, port);
    SessionRequest request;
    request.routerIp = form.ip;
    request.modelName = form.model;
    request.password = "admin";
    request.telnetPort = sim.TelnetPort();

    const SessionResult result = dlg.Run(request);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(FullFetchLog(form), sim.CommandLog());

    for (const FetchCommand& command : kFetchCommands) {
        SCOPED_TRACE(command.command);
        const std::string& text = result.fetched.*command.text;
        if (command.twoPortOnly && !form.twoPort) {
            EXPECT_EQ("", text);
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
    ASSERT_TRUE(run.Fetch(true));
    EXPECT_EQ(std::vector<std::string>{std::string(form.ip) + " voip sip calllog"}, sim.CommandLog());
    EXPECT_EQ(Printed(form, "voip sip calllog"), run.last.fetched.callLog);
    EXPECT_EQ("", run.last.fetched.dialPlanList);
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, FetchFromEmulatorTest, ::testing::Values(kTwoPort, kOnePort),
                         [](const auto& info) { return info.param.twoPort ? "TwoPort" : "OnePort"; });

// One failed fetch: exactly one message.
void ExpectFailedRun(EmulatedRun& run, const std::string& message) {
    EXPECT_FALSE(run.Fetch(false));
    ASSERT_EQ(1u, run.port.shown.size());
    EXPECT_EQ(message, run.port.shown[0].text);
}

TEST(FetchFailuresFromEmulatorTest, WrongPasswordFailsTheLogin) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort);
    run.request.password = "not-admin";
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
    ASSERT_TRUE(run.scaled.Connect(kTwoPort.ip, sim.TelnetPort(), kConnectTimeoutMs));
    EXPECT_EQ(LoginResult::LoginNoShellPrompt, TelnetDialogue(run.scaled, run.clock).Login("admin", 2000));
    run.scaled.Close();
}

TEST(FetchFailuresFromEmulatorTest, RefusedConnectionIsReported) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    run.request.routerIp = "127.0.0.9";  // no emulated router listens there
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

// A router that trickles its output byte by byte, each byte well inside the output wait: the
// command's deadline ends a long output, a short one is taken whole, and the event loop keeps
// running throughout. Time runs 5 times faster: the deadline falls after 6 s of real time.
TEST(FetchFailuresFromEmulatorTest, TricklingRouterFailsTheCommandAtItsDeadlineWhileTheLoopRuns) {
    RouterSimProcess sim({"--fault", "127.0.0.2:trickle=40", "--fault", "127.0.0.3:trickle=1"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort, 5);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);

    const int64_t start = run.clock.NowMs();
    ExpectFailedRun(run, "Failed to get DialPlan data from router!");
    EXPECT_EQ(CommandError::TooSlow, run.dlg.Dialogue().LastError());
    EXPECT_LT(run.clock.NowMs() - start, kConnectPumpMs + kLoginPumpMs + kStepDeadlineMs + 5000);
    EXPECT_GT(ticks, 100);

    EmulatedRun onePort(sim, kOnePort, 5);
    ASSERT_TRUE(onePort.Fetch(true)) << (onePort.port.shown.empty() ? "" : onePort.port.shown[0].text);
    EXPECT_NE(std::string::npos, onePort.last.fetched.callLog.find("No.10"));
}

// Every echo 2.5 s late (time runs 10 times faster): past the 2 s echo wait at scale 1, inside it at
// scale 2, and the longest command still within its stretched deadline.
TEST(FetchFailuresFromEmulatorTest, SlowEchoFailsAtScaleOneAndWorksAtScaleTwo) {
    RouterSimProcess sim({"--fault", "127.0.0.3:slow-echo=250"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort, 10);
    EXPECT_FALSE(run.Fetch(true));
    ASSERT_EQ(1u, run.port.shown.size());
    EXPECT_EQ("Failed to login router!", run.port.shown[0].text);

    run.port.shown.clear();
    run.request.timeScale = 2;
    ASSERT_TRUE(run.Fetch(true)) << (run.port.shown.empty() ? "" : run.port.shown[0].text);
    EXPECT_NE(std::string::npos, run.last.fetched.callLog.find("No.10"));
}

TEST(FetchFailuresFromEmulatorTest, OutputBeyondTheCapFailsItsCommandInsteadOfBeingCut) {
    RouterSimProcess sim({"--fault", "127.0.0.2:big-output=voip dial_plan list -t", "--fault",
                          "127.0.0.2:big-output-bytes=" + std::to_string(kMaxOutputBytes + 100)});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ExpectFailedRun(run, "Failed to get DialPlan data from router!");
    EXPECT_EQ(CommandError::OutputTooLong, run.dlg.Dialogue().LastError());
    EXPECT_TRUE(run.last.fetched.dialPlanList.empty());
    EXPECT_EQ(std::vector<std::string>{"127.0.0.2 voip dial_plan list -t"}, sim.CommandLog());
}

TEST(FetchFailuresFromEmulatorTest, LargeOutputWithinTheCapIsHeldWhole) {
    RouterSimProcess sim({"--fault", "127.0.0.2:big-output=voip dial_plan list -t", "--fault",
                          "127.0.0.2:big-output-bytes=40000"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ASSERT_TRUE(run.Fetch(false));
    const std::string& listing = run.last.fetched.dialPlanList;
    EXPECT_GE(listing.size(), 40000u);
    const std::string printed = Printed(kTwoPort, "voip dial_plan list -t");
    const std::string withoutPrompt =
        printed.substr(0, printed.size() - std::string("DZV-R5730K> \n\r").size());
    EXPECT_EQ(0u, listing.rfind(withoutPrompt, 0));
    EXPECT_EQ(listing.size() - std::string("DZV-R5730K> \n\r").size(), listing.rfind("DZV-R5730K> \n\r"));
}

TEST(FetchFailuresFromEmulatorTest, TelnetNegotiationInTheGreetingDoesNotDisturbTheFetch) {
    RouterSimProcess sim({"--fault", "127.0.0.3:iac-greeting"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kOnePort);
    ASSERT_TRUE(run.Fetch(false));
    EXPECT_TRUE(run.port.shown.empty());
    EXPECT_EQ(FullFetchLog(kOnePort), sim.CommandLog());
}

// A router that refuses a command prints an error and its prompt: the apply stops there, names the
// command (a password as asterisks) and quotes the router, and the rows of the area stay unapplied.
TEST(ApplyFailuresFromEmulatorTest, RefusedCommandStopsTheApplyWithTheRoutersWords) {
    RouterSimProcess sim({"--fault", "127.0.0.2:error-in=voip sip endpt1 pass new-secret"});
    ASSERT_TRUE(sim.IsRunning());
    EmulatedRun run(sim, kTwoPort);
    ApplyTexts pages;
    pages.sipRow = {"5060", "reg.example", "1", "alice", "new-secret", "2", "0", "bob", "pw", "2"};
    RouterSettings held;
    run.request.plan = BuildApplyPlan(held, pages, true);
    run.request.mode = SessionMode::ApplySettings;
    const SessionResult result = run.dlg.Run(run.request);
    RecordApplied(run.request.plan, result.ok, result.commandsApplied, true, held);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(1u, run.port.shown.size());
    EXPECT_EQ("The router refused a command; the apply was stopped there.\nvoip sip endpt1 pass ********\n"
              "\"Error: command failed\"",
              run.port.shown[0].text);
    EXPECT_EQ(5u, sim.CommandLog().size());  // up to the refused command, nothing after it
    EXPECT_TRUE(held.sipFields.empty());
}

// ---------------------------------------------------------------- apply, then fetch again

// The three settings models filled from one fetch, as the workflow fills them.
struct Models {
    explicit Models(const LanguageTable& language) : sip(language), codec(language) {}
    void Fill(const FetchedTexts& fetched, bool twoPort, const LanguageTable& language) {
        ASSERT_TRUE(dialPlan.FillFromListing(fetched.dialPlanList, twoPort));
        sip.SetTwoPort(twoPort);
        ASSERT_TRUE(sip.ParseSipOutput(fetched.sipEndpt1, SipOutputKind::Endpoint, 1));
        if (twoPort) {
            ASSERT_TRUE(sip.ParseSipOutput(fetched.sipEndpt2, SipOutputKind::Endpoint, 2));
        }
        ASSERT_TRUE(sip.ParseSipOutput(fetched.sipPort, SipOutputKind::Port, 1));
        ASSERT_TRUE(sip.ParseSipOutput(fetched.sipRegistrar, SipOutputKind::Registrar, 1));
        if (!twoPort) codec.LimitCodecChoicesToOnePort();
        ASSERT_TRUE(codec.ParseRtpOutput(fetched.rtpCodec, RtpOutputKind::Codec));
        ASSERT_TRUE(codec.ParseRtpOutput(fetched.rtpDtmf, RtpOutputKind::Dtmf));
        ASSERT_TRUE(codec.ParseRtpOutput(fetched.rtpPort, RtpOutputKind::PortRange));
    }
    DialPlanTable dialPlan;
    SipSettings sip;
    CodecSettings codec;
};

std::string Word(std::mt19937& random, const char* alphabet, int minLength, int maxLength) {
    const std::string letters(alphabet);
    std::string word(std::uniform_int_distribution<int>(minLength, maxLength)(random), ' ');
    for (char& c : word)
        c = letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(random)];
    return word;
}
int Number(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

constexpr const char* kDigits = "0123456789";
constexpr const char* kNameBytes = "abcdefghijklmnopqrstuvwxyz0123456789-_.";

// Random edits of the kind the pages make: entries set, changed or cleared, every SIP and codec value
// within what the router accepts.
void EditRandomly(Models& models, bool twoPort, std::mt19937& random, const LanguageTable& language) {
    for (int edit = 0; edit < 8; ++edit) {
        const int position = Number(random, 0, kDialPlanEntryCount - 1);
        if (Number(random, 0, 4) == 0) {
            models.dialPlan.ClearEntry(position);
            continue;
        }
        DialPlanEntry entry = models.dialPlan.Entry(position);
        entry.phoneNumber = Word(random, kDigits, 1, 12);
        entry.name = "not sent";
        const std::string domain = Number(random, 0, 1)
                                       ? Word(random, kNameBytes, 1, 20)
                                       : "10.0." + std::to_string(Number(random, 0, 255)) + ".1";
        entry.sipAddress = Number(random, 0, 2) ? Word(random, kNameBytes, 1, 10) + "@" + domain : domain;
        entry.loopThrough =
            twoPort ? std::nullopt : std::optional(static_cast<LoopThrough>(Number(random, 0, 2)));
        entry.backupNumber = twoPort || Number(random, 0, 2) == 0 ? "" : Word(random, kDigits, 1, 10);
        entry.statusMark = Number(random, 0, 1) ? "V" : "-";
        models.dialPlan.SetEntry(position, entry);
    }

    models.sip.LoadSipField(SipField::SipPort, std::to_string(Number(random, 1024, 65535)));
    models.sip.LoadSipField(SipField::Registrar, Word(random, kNameBytes, 1, 30));
    models.sip.LoadSipField(SipField::Port1Registration, std::to_string(Number(random, 0, twoPort ? 3 : 1)));
    models.sip.LoadSipField(SipField::Port1UserName, Word(random, kNameBytes, 1, 16));
    models.sip.LoadSipField(SipField::Port1Password, Word(random, kNameBytes, 1, 16));
    models.sip.LoadSipField(SipField::Port1Expiry, std::to_string(Number(random, 0, twoPort ? 7 : 9)));
    if (twoPort) {
        models.sip.LoadSipField(SipField::Port2RegisterVia, std::to_string(Number(random, 0, 3)));
        models.sip.LoadSipField(SipField::Port2UserName, Word(random, kNameBytes, 1, 16));
        models.sip.LoadSipField(SipField::Port2Password, Word(random, kNameBytes, 1, 16));
        models.sip.LoadSipField(SipField::Port2Expiry, std::to_string(Number(random, 0, 7)));
    }

    const int start = Number(random, 1024, 60000);
    models.codec.LoadCodecRow(std::vector<std::string>{
        std::to_string(Number(random, 0, twoPort ? 4 : 2)), std::to_string(Number(random, 0, 5)),
        std::to_string(Number(random, 0, 2)), std::to_string(Number(random, 96, 127)), std::to_string(start),
        std::to_string(Number(random, start + 1, 65535))});
}

// Fields the one-port router keeps: it has no second voice port.
std::vector<std::string> SipFieldsTheRouterKeeps(const SipSettings& sip, bool twoPort) {
    std::vector<std::string> fields = sip.SipFields();
    if (!twoPort) fields.resize(6);
    return fields;
}

class ApplyRoundTripTest : public ::testing::TestWithParam<RouterForm> {};

TEST_P(ApplyRoundTripTest, AppliedEditsAreWhatTheNextFetchReads) {
    const RouterForm form = GetParam();
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    LanguageTable language;
    language.LoadFromBytes("Index_Loop1 [ISDN]\r\nIndex_Loop2 [PSTN]\r\nIndex_Loop3 [None]\r\n");
    CTelnetSocket socket;
    // Time runs 5 times faster: the pumping of every login costs 300 ms instead of 1.5 s.
    FastClock clock(5);
    TimeScaledConnection scaled(socket, clock);
    RecordingMessagePort port;
    RouterSession dlg(scaled, clock, language, port);
    SessionRequest request;
    request.routerIp = form.ip;
    request.modelName = form.model;
    request.password = "admin";
    request.telnetPort = sim.TelnetPort();
    SessionRequest apply = request;
    apply.mode = SessionMode::ApplySettings;

    Models models(language);
    SessionResult result = dlg.Run(request);
    ASSERT_TRUE(result.ok);
    models.Fill(result.fetched, form.twoPort, language);
    RouterSettings held;
    held.TakeDialPlan(models.dialPlan);
    held.sipFields = models.sip.SipFields();
    held.codecFields = models.codec.CodecFields(true);

    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed * 7919u + (form.twoPort ? 1u : 0u));
        EditRandomly(models, form.twoPort, random, language);
        ApplyTexts pages;
        pages.dialPlanRows = models.dialPlan.ChangedEntries();
        pages.sipRow = models.sip.SipFields();
        pages.codecRow = models.codec.CodecFields(true);
        apply.plan = BuildApplyPlan(held, pages, form.twoPort);

        std::vector<std::string> expectedLog;
        for (const ApplyCommand& command : apply.plan.commands) {
            expectedLog.push_back(std::string(form.ip) + " " + command.text);
        }
        port.shown.clear();
        sim.ClearCommandLog();
        result = dlg.Run(apply);
        ASSERT_TRUE(result.ok);
        RecordApplied(apply.plan, result.ok, result.commandsApplied, form.twoPort, held);
        ASSERT_EQ(1u, port.shown.size());
        EXPECT_EQ("Settings have been applied to router.", port.shown[0].text);
        EXPECT_EQ(expectedLog, sim.CommandLog());
        models.dialPlan.MarkChangesApplied();

        result = dlg.Run(request);
        ASSERT_TRUE(result.ok);
        Models fetched(language);
        fetched.Fill(result.fetched, form.twoPort, language);
        for (int position = 0; position < kDialPlanEntryCount; ++position) {
            DialPlanEntry expected = models.dialPlan.Entry(position);
            expected.name.clear();  // never sent, never listed
            EXPECT_EQ(expected, fetched.dialPlan.Entry(position)) << "entry " << position + 1;
        }
        EXPECT_EQ(SipFieldsTheRouterKeeps(models.sip, form.twoPort),
                  SipFieldsTheRouterKeeps(fetched.sip, form.twoPort));
        EXPECT_EQ(models.codec.CodecFields(true), fetched.codec.CodecFields(true));
        if (::testing::Test::HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, ApplyRoundTripTest, ::testing::Values(kTwoPort, kOnePort),
                         [](const auto& info) { return info.param.twoPort ? "TwoPort" : "OnePort"; });

}  // namespace
}  // namespace dezadav
