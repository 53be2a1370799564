// Every time-out of the router dialogue at its edge: a router that answers exactly at the limit is
// still heard, one millisecond later it is given up with the run's one message. First in simulated
// time (exact to the millisecond, no real waiting), then against the emulator's slow echo with a
// clock that runs ten times faster than real time.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulated_workflow.h"
#include "support/english_language.h"
#include "session/router_session.h"
#include "support/emulated_line.h"
#include "support/recording_message_port.h"

namespace dezadav::testing {
namespace {

// The session's socket over scripted connections: every Create() starts a fresh connection, so bytes
// still on their way in a closed one never arrive, while the chunk queue, which belongs to the socket
// object, keeps what was already received.
class FreshSocketTransport : public RouterConnection {
public:
    FreshSocketTransport(ManualClock& clock, std::function<void(ScriptedTransport&)> attach)
        : m_clock(clock), m_attach(std::move(attach)) {}

    bool Create() override {
        m_current = std::make_unique<ScriptedTransport>(m_clock);
        m_attach(*m_current);
        return true;
    }
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override {
        return m_current->Connect(ip, port, timeoutMs);
    }
    void Close() override { m_current->Close(); }
    void Send(std::string_view bytes) override { m_current->Send(bytes); }
    void PumpEvents(int64_t maxWaitMs) override {
        m_current->PumpEvents(maxWaitMs);
        ReceivedChunk chunk;
        while (m_current->Queue().TakeFront(chunk)) m_queue.Push(chunk.data);
    }
    ChunkQueue& Queue() override { return m_queue; }
    bool Connected() const { return m_current && m_current->connected; }

private:
    ManualClock& m_clock;
    std::function<void(ScriptedTransport&)> m_attach;
    std::unique_ptr<ScriptedTransport> m_current;
    ChunkQueue m_queue;
};

struct Edge {
    const char* name;
    // The one answer that comes late: of the echoes only the first of a command, since all of them at
    // the limit would pass the command's deadline.
    Answer phase;
    int64_t limitMs;
    SessionMode mode;
    const char* failure;  // the message one millisecond past the limit
};
void PrintTo(const Edge& edge, std::ostream* out) {
    *out << edge.name;
}

class TimingEdgeTest : public ::testing::TestWithParam<Edge> {
protected:
    TimingEdgeTest() {
        // Every SIP command is answered with a line of its own (not an error): so a set command's
        // reply has a text between its line break and its prompt, and the gap before the prompt can
        // come late.
        router.router.setup.faults.garbageIn = {"voip sip"};
        request.routerIp = "127.0.0.2";
        request.password = "admin";
        request.modelName = "DZV-R5730K";
        // Every apply has the same SIP row to send: the router is not known to hold it.
        ApplyTexts pages;
        pages.sipRow = {"5062", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
        RouterSettings held;
        held.sipFields = {"5060", "reg.example.net", "1", "alice", "pw1", "3", "1", "bob", "pw2", "4"};
        pages.codecRow = held.codecFields = {"2", "1", "1", "101", "10050", "15000"};
        request.plan = BuildApplyPlan(held, pages, true);
    }

    // Every answer comes 1 ms after the emulator sends it, except those of the edge's kind, which come
    // `delayMs` late. The greeting is due that long after Login starts waiting for it.
    bool Run(int64_t delayMs) {
        router.delay = [this, delayMs](Answer answer) {
            const int64_t base = answer == Answer::Greeting ? kConnectPumpMs + kLoginPumpMs : 0;
            return base + (answer == GetParam().phase ? delayMs : 1);
        };
        router.commands.clear();
        port.shown.clear();
        request.mode = GetParam().mode;
        last = dlg.Run(request);
        return last.ok;
    }

    ManualClock clock;
    EmulatedLine router{"DZV-R5730K"};
    FreshSocketTransport transport{clock, [this](ScriptedTransport& t) { router.Attach(t); }};
    LanguageTable language = ShippedEnglish();
    RecordingMessagePort port;
    RouterSession dlg{transport, clock, language, port};
    SessionRequest request;
    SessionResult last;  // of the last run
};

TEST_P(TimingEdgeTest, AnswerAtTheLimitIsHeardOneMillisecondLaterIsNot) {
    const Edge edge = GetParam();
    // The run before the slow ones: everything answers at once.
    ASSERT_TRUE(Run(1));

    ASSERT_TRUE(Run(edge.limitMs)) << (port.shown.empty() ? "" : port.shown[0].text);
    EXPECT_TRUE(port.shown.empty() || edge.mode == SessionMode::ApplySettings);
    if (edge.mode == SessionMode::ApplySettings) {
        ASSERT_EQ(1u, port.shown.size());
        EXPECT_EQ("Settings have been applied to router.", port.shown[0].text);
        EXPECT_EQ(10u, last.commandsApplied);
        EXPECT_EQ(10u, router.commands.size());
    }

    EXPECT_FALSE(Run(edge.limitMs + 1));
    ASSERT_EQ(1u, port.shown.size());
    EXPECT_EQ("Error", port.shown[0].caption);
    EXPECT_EQ(edge.failure, port.shown[0].text);
    // The SIP area did not go through whole.
    EXPECT_LT(last.commandsApplied, 10u);
    EXPECT_FALSE(transport.Connected());  // closed after the failure

    // The next run, with a router that answers at once again, goes through: whatever the slow run
    // left in the queue is drained by the next login.
    EXPECT_TRUE(Run(1)) << (port.shown.empty() ? "" : port.shown[0].text);
}

constexpr const char* kLogin = "Failed to login router!";
constexpr const char* kDialPlan = "Failed to get DialPlan data from router!";
constexpr const char* kLog = "Failed to get VoIP Log data from router!";
constexpr const char* kSip = "Failed to set SIP data to router!";

INSTANTIATE_TEST_SUITE_P(
    EveryTimeOut, TimingEdgeTest,
    ::testing::Values(
        Edge{"Greeting", Answer::Greeting, kLoginTimeoutMs, SessionMode::GetSettings, kLogin},
        Edge{"PasswordEcho", Answer::PasswordEcho, kLoginTimeoutMs, SessionMode::GetSettings, kLogin},
        Edge{"PasswordCr", Answer::PasswordCr, kLoginTimeoutMs, SessionMode::GetVoipLog, kLogin},
        Edge{"ShellPrompt", Answer::ShellPrompt, kReplyTimeoutMs, SessionMode::GetVoipLog, kLogin},
        Edge{"EmptyLineOfAFetch", Answer::EmptyLine, kEchoTimeoutMs, SessionMode::GetSettings, kDialPlan},
        Edge{"CommandEchoOfAFetch", Answer::FirstEcho, kEchoTimeoutMs, SessionMode::GetSettings, kDialPlan},
        Edge{"LineBreakOfAFetch", Answer::LineBreak, kOutputChunkTimeoutMs, SessionMode::GetVoipLog, kLog},
        Edge{"OutputGapOfAFetch", Answer::OutputGap, kOutputChunkTimeoutMs, SessionMode::GetVoipLog, kLog},
        Edge{"EmptyLineOfAnApply", Answer::EmptyLine, kEchoTimeoutMs, SessionMode::ApplySettings, kSip},
        Edge{"CommandEchoOfAnApply", Answer::FirstEcho, kEchoTimeoutMs, SessionMode::ApplySettings, kSip},
        Edge{"LineBreakOfAnApply", Answer::LineBreak, kReplyTimeoutMs, SessionMode::ApplySettings, kSip},
        Edge{"ReplyGapOfAnApply", Answer::OutputGap, kReplyTimeoutMs, SessionMode::ApplySettings, kSip}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------- the emulator's slow echo, for real

// With the session's clock ten times faster than real time, the 2000 ms echo time-out lasts 200 ms.
// An echo 140 ms late (1400 ms on the clock) is waited for; 260 ms (2600 ms) is too late, whether the
// router is slow from the first password byte or only from the first byte of the command.
TEST(SlowEchoTest, EchoJustUnderTheTimeOutIsWaitedForJustOverFailsTheExchange) {
    EmulatedWorkflow run({}, 10);
    ASSERT_TRUE(run.sim.IsRunning());
    ASSERT_EQ(ConnectOutcome::Connected, run.Connect(kOnePortForm));
    run.workflow.SetRefreshSeconds(10);
    auto refresh = [&run] {
        RefreshOutcome outcome = RefreshOutcome::Counted;
        for (int tick = 0; tick < 20 && outcome == RefreshOutcome::Counted; ++tick)
            outcome = run.workflow.RefreshTick();
        return outcome;
    };

    run.Control("addcall 127.0.0.3");
    run.Fault(kOnePortForm, "slow-echo=140");
    run.sim.ClearCommandLog();
    run.port.messages.shown.clear();
    EXPECT_EQ(RefreshOutcome::Refreshed, refresh());
    EXPECT_TRUE(run.port.MessageTexts().empty());
    EXPECT_EQ(std::vector<std::string>{"voip sip calllog"}, run.CommandsOf(kOnePortForm));

    const CallLogTable before = run.workflow.Pages().CallLog();
    run.Control("addcall 127.0.0.3");
    run.Fault(kOnePortForm, "slow-echo=260");
    EXPECT_EQ(RefreshOutcome::Failed, refresh());
    EXPECT_EQ(std::vector<std::string>{kLogin}, run.port.MessageTexts());
    EXPECT_TRUE(run.workflow.Pages().CallLog() == before);

    // Slow only once logged in: the command's first echo is too late.
    run.ClearFaults(kOnePortForm);
    run.workflow.Pages().Codec().SetPayloadType("120");                  // something to send, so that
    ASSERT_EQ(ApplyOutcome::Applied, run.workflow.ApplyFlow());  // the apply clears the busy flag
    run.port.messages.shown.clear();
    bool switched = false;
    run.connection.beforeSend = [&](std::string_view bytes) {
        if (switched || bytes != "v") return;
        switched = true;
        run.Fault(kOnePortForm, "slow-echo=260");
    };
    EXPECT_EQ(RefreshOutcome::Failed, refresh());
    run.connection.beforeSend = nullptr;
    EXPECT_TRUE(switched);
    EXPECT_EQ(std::vector<std::string>{kLog}, run.port.MessageTexts());
    EXPECT_TRUE(run.workflow.Pages().CallLog() == before);

    // And the exchange after it is whole again.
    run.ClearFaults(kOnePortForm);
    run.workflow.Pages().Codec().SetPayloadType("121");
    ASSERT_EQ(ApplyOutcome::Applied, run.workflow.ApplyFlow());
    EXPECT_EQ(RefreshOutcome::Refreshed, refresh());
    EXPECT_FALSE(run.workflow.Pages().CallLog() == before);
}

}  // namespace
}  // namespace dezadav::testing
