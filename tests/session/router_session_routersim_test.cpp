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
#include "support/router_commands.h"
#include "support/time_scaled_connection.h"

namespace dezadav {
namespace {

using testing::FastClock;
using testing::RecordingMessagePort;
using testing::RouterSimProcess;
using testing::TimeScaledConnection;

using testing::RouterForm;
constexpr RouterForm kTwoPort = testing::kTwoPortForm;
constexpr RouterForm kOnePort = testing::kOnePortForm;

// The commands of a full fetch as the emulator logs them for `form`.
std::vector<std::string> FullFetchLog(const RouterForm& form) {
    std::vector<std::string> log;
    for (const std::string& command : testing::FetchCommandsOf(form)) log.push_back(std::string(form.ip) + " " + command);
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
    EmulatedRun run(sim, form, 1);
    ASSERT_TRUE(run.Fetch(false));
    const SessionResult& result = run.last;
    EXPECT_TRUE(run.port.shown.empty());
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

// Failures common to every exchange (login, refused connection, silence, a dropped connection, an
// output over the cap, a refused command) are run against the whole program in the fault suite
// (tests/reliability); here only what the session itself decides about its timing and output.

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
    EXPECT_FALSE(run.Fetch(false));
    ASSERT_EQ(1u, run.port.shown.size());
    EXPECT_EQ("Failed to get DialPlan data from router!", run.port.shown[0].text);
    EXPECT_EQ(CommandError::TooSlow, run.dlg.Dialogue().LastError());
    EXPECT_LT(run.clock.NowMs() - start, kConnectPumpMs + kLoginPumpMs + kStepDeadlineMs + 5000);
    EXPECT_GT(ticks, 100);

    EmulatedRun onePort(sim, kOnePort, 5);
    ASSERT_TRUE(onePort.Fetch(true)) << (onePort.port.shown.empty() ? "" : onePort.port.shown[0].text);
    EXPECT_NE(std::string::npos, onePort.last.fetched.callLog.find("No.10"));
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

// ---------------------------------------------------------------- apply, then fetch again

// The three settings models filled from one fetch, as the workflow fills them.
struct Models {
    explicit Models(const LanguageTable& language) : sip(language), codec(language) {}
    void Fill(const FetchedTexts& fetched, bool twoPort) {
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
void EditRandomly(Models& models, bool twoPort, std::mt19937& random) {
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
    // Time runs 5 times faster: the pumping of every login costs 300 ms instead of 1.5 s.
    EmulatedRun run(sim, form, 5);
    run.language.LoadFromBytes("Index_Loop1 [ISDN]\r\nIndex_Loop2 [PSTN]\r\nIndex_Loop3 [None]\r\n");
    const LanguageTable& language = run.language;
    RecordingMessagePort& port = run.port;
    RouterSession& dlg = run.dlg;
    SessionRequest& request = run.request;
    request.mode = SessionMode::GetSettings;
    SessionRequest apply = request;
    apply.mode = SessionMode::ApplySettings;

    Models models(language);
    SessionResult result = dlg.Run(request);
    ASSERT_TRUE(result.ok);
    models.Fill(result.fetched, form.twoPort);
    RouterSettings held;
    held.TakeDialPlan(models.dialPlan);
    held.sipFields = models.sip.SipFields();
    held.codecFields = models.codec.CodecFields(true);

    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed * 7919u + (form.twoPort ? 1u : 0u));
        EditRandomly(models, form.twoPort, random);
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
        fetched.Fill(result.fetched, form.twoPort);
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
