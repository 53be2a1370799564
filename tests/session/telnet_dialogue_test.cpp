#include "session/telnet_dialogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_transport.h"

namespace dezadav {
namespace {

using testing::ManualClock;
using testing::ScriptedTransport;

const std::string kGreeting = "\n\rDezadav router\n\rPassword:";
const std::string kPromptChunk = "\n\rRouter> ";

class DialogueTest : public ::testing::Test {
protected:
    ManualClock clock;
    ScriptedTransport transport{clock};
    TelnetDialogue dialogue{transport, clock};

    // A login that succeeds: greeting during the opening pump, '*' per password byte, prompt after CR.
    void ScriptLogin(const std::string& password) {
        transport.DeliverAt(100, kGreeting);
        transport.ExpectTyped(password, "*");
        transport.Expect("\r", {kPromptChunk});
    }
    // The opening empty line and the typed command with their echoes.
    void ScriptTypedCommand(const std::string& command) {
        transport.Expect("\r", {kPromptChunk});
        transport.ExpectTyped(command);
    }
    // The command's output after its CR: the line end, `bodySize` bytes 'o' in full chunks, the prompt.
    void ScriptOutput(std::size_t bodySize) {
        std::vector<std::string> replies{"\n\r"};
        for (std::size_t at = 0; at < bodySize; at += kChunkSize) {
            replies.push_back(std::string(std::min(kChunkSize, bodySize - at), 'o'));
        }
        replies.push_back(kPromptChunk);
        transport.Expect("\r", replies);
    }
};

// ---------------------------------------------------------------- chunk queue and waiting

TEST(ChunkQueueTest, KeepsChunksWholeInOrderAndRefusesEmptyOrOversizedReads) {
    ChunkQueue queue;
    EXPECT_FALSE(queue.Push(""));
    EXPECT_FALSE(queue.Push(std::string(kChunkSize + 1, 'x')));
    EXPECT_FALSE(queue.DataAvailable());
    EXPECT_TRUE(queue.Push("ab"));
    EXPECT_TRUE(queue.Push(std::string(kChunkSize, 'y')));
    EXPECT_TRUE(queue.DataAvailable());

    ReceivedChunk chunk;
    ASSERT_TRUE(queue.TakeFront(chunk));
    EXPECT_EQ("ab", chunk.data);
    EXPECT_TRUE(queue.DataAvailable());
    ASSERT_TRUE(queue.TakeFront(chunk));
    EXPECT_EQ(std::string(kChunkSize, 'y'), chunk.data);
    EXPECT_FALSE(queue.DataAvailable());
    EXPECT_FALSE(queue.TakeFront(chunk));
    EXPECT_TRUE(chunk.data.empty());
}

TEST_F(DialogueTest, WaitTakesQueuedChunksOneByOneWithoutWaiting) {
    transport.DeliverAt(0, "first");
    transport.DeliverAt(0, "second");
    ReceivedChunk chunk;
    ASSERT_TRUE(dialogue.WaitForChunk(chunk, 2000));
    EXPECT_EQ("first", chunk.data);
    ASSERT_TRUE(dialogue.WaitForChunk(chunk, 2000));
    EXPECT_EQ("second", chunk.data);
    EXPECT_EQ(0, clock.now);
    EXPECT_FALSE(transport.Queue().DataAvailable());
}

TEST_F(DialogueTest, WaitGivesUpAfterItsTimeOutAndSleepsInsteadOfSpinning) {
    ReceivedChunk chunk;
    chunk.data = "stale";
    EXPECT_FALSE(dialogue.WaitForChunk(chunk, 3000));
    EXPECT_TRUE(chunk.data.empty());
    EXPECT_EQ(3000, clock.now);
    // One sleep covers the whole wait, plus at most a look at what is pending.
    EXPECT_LE(transport.pumps, 2);
}

TEST_F(DialogueTest, ChunkArrivingAtTheLastMomentIsStillTaken) {
    transport.DeliverAt(2000, "late but in time");
    ReceivedChunk chunk;
    ASSERT_TRUE(dialogue.WaitForChunk(chunk, 2000));
    EXPECT_EQ("late but in time", chunk.data);
}

TEST_F(DialogueTest, ChunkAfterTheTimeOutIsLeftForTheNextWait) {
    transport.DeliverAt(2001, "too late");
    ReceivedChunk chunk;
    EXPECT_FALSE(dialogue.WaitForChunk(chunk, 2000));
    EXPECT_EQ(2000, clock.now);
    ASSERT_TRUE(dialogue.WaitForChunk(chunk, 2000));
    EXPECT_EQ("too late", chunk.data);
    EXPECT_EQ(2001, clock.now);
}

TEST_F(DialogueTest, PumpingLastsAtLeastTheGivenTimeAndLooksAtLeastOnce) {
    PumpMessagesFor(transport, clock, 0);
    EXPECT_EQ(1, transport.pumps);
    transport.DeliverAt(300, "arrives while pumping");
    PumpMessagesFor(transport, clock, 500);
    EXPECT_EQ(500, clock.now);
    EXPECT_TRUE(transport.Queue().DataAvailable());
    EXPECT_LE(transport.pumps, 4);
}

TEST(PromptTest, OnlyTextEndingInGreaterThanAndSpaceEndsInThePrompt) {
    EXPECT_TRUE(EndsInPrompt("> "));
    EXPECT_TRUE(EndsInPrompt("\n\rRouter> "));
    EXPECT_FALSE(EndsInPrompt(">"));
    EXPECT_FALSE(EndsInPrompt(" "));
    EXPECT_FALSE(EndsInPrompt(""));
    EXPECT_FALSE(EndsInPrompt("Router> \n\r"));
    EXPECT_FALSE(EndsInPrompt("Router >"));
}

// A terminal daemon on a pseudo-terminal cuts where it likes: the prompt counts wherever the cut
// falls, and what is captured is still every byte received, in order.
TEST_F(DialogueTest, PromptCutOverTwoReadsIsStillThePrompt) {
    transport.DeliverAt(100, kGreeting);
    transport.ExpectTyped("pw", "*");
    transport.Expect("\r", {"\n\rRouter>", " "});
    ASSERT_EQ(LoginResult::LoginOk, dialogue.Login("pw", 2000));

    transport.Expect("\r", {"\r\n", "Router> "});  // the echoed line break, then the prompt
    transport.ExpectTyped("voip sip port");
    transport.Expect("\r", {"\n\r", "port: 5060\n\rRouter>", " "});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_EQ("port: 5060\n\rRouter> \n\r", output);

    transport.Expect("\r", {"\r\n", "Router>", " "});
    transport.ExpectTyped("voip sip port 5062");
    transport.Expect("\r", {"\n\r", "Router", "> "});
    EXPECT_TRUE(dialogue.SendSetCommand("voip sip port 5062"));
    EXPECT_TRUE(transport.AllExpectationsMet());
}

// ---------------------------------------------------------------- login

TEST_F(DialogueTest, LoginTypesThePasswordByteByByteThenOneCarriageReturn) {
    ScriptLogin("admin");
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("admin", 2000));
    EXPECT_EQ((std::vector<std::string>{"a", "d", "m", "i", "n", "\r"}), transport.sends);
    EXPECT_TRUE(transport.AllExpectationsMet());
    // The greeting is looked at only after the opening 1000 ms of pumping.
    EXPECT_GE(clock.now, 1000);
}

TEST_F(DialogueTest, EmptyPasswordSendsOnlyTheCarriageReturn) {
    ScriptLogin("");
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("", 2000));
    EXPECT_EQ(std::vector<std::string>{"\r"}, transport.sends);
}

TEST_F(DialogueTest, LoginDrainsEveryChunkAndExaminesOnlyTheLast) {
    // Leftovers of an earlier connection and an earlier part of the greeting are drained.
    transport.Queue().Push("old output\n\rRouter> ");
    transport.DeliverAt(100, "\n\rWelcome\n\r");
    transport.DeliverAt(200, "\n\rPassword:");
    transport.ExpectTyped("pw", "*");
    transport.Expect("\r", {kPromptChunk});
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("pw", 2000));
    EXPECT_FALSE(transport.Queue().DataAvailable());
}

TEST_F(DialogueTest, PasswordPromptOnlyInAnEarlierChunkIsNoPrompt) {
    transport.DeliverAt(100, kGreeting);
    transport.DeliverAt(200, "\n\rsomething else");
    EXPECT_EQ(LoginResult::LoginNoPrompt, dialogue.Login("admin", 2000));
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(DialogueTest, PasswordPromptAtTheVeryFirstByteIsNoPrompt) {
    transport.DeliverAt(100, "Password:");
    EXPECT_EQ(LoginResult::LoginNoPrompt, dialogue.Login("admin", 2000));
    EXPECT_TRUE(transport.sends.empty());

    // One byte in front of it is enough.
    ManualClock clock2;
    ScriptedTransport transport2(clock2);
    TelnetDialogue dialogue2(transport2, clock2);
    transport2.DeliverAt(100, "xPassword:");
    transport2.ExpectTyped("a", "*");
    transport2.Expect("\r", {kPromptChunk});
    EXPECT_EQ(LoginResult::LoginOk, dialogue2.Login("a", 2000));
}

TEST_F(DialogueTest, GreetingIsReadAsTextUpToItsFirstNulByte) {
    transport.DeliverAt(100, std::string("\xff\xfb\x01\0\n\rPassword:", 15));
    EXPECT_EQ(LoginResult::LoginNoPrompt, dialogue.Login("admin", 2000));
}

TEST_F(DialogueTest, TelnetNegotiationBytesInTheGreetingAreNeitherAnsweredNorInTheWay) {
    transport.DeliverAt(100, "\xff\xfb\x01\xff\xfb\x03\xff\xfd\x18\n\rPassword:");
    transport.ExpectTyped("admin", "*");
    transport.Expect("\r", {kPromptChunk});
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("admin", 2000));
    EXPECT_EQ("admin\r", transport.SentBytes());
}

TEST_F(DialogueTest, NoGreetingWithinTheTimeOutIsLoginTimeout) {
    transport.DeliverAt(3001, kGreeting);
    EXPECT_EQ(LoginResult::LoginTimeout, dialogue.Login("admin", 2000));
    EXPECT_EQ(3000, clock.now);  // 1000 ms of pumping and the 2000 ms time-out
    EXPECT_TRUE(transport.sends.empty());
}

TEST_F(DialogueTest, UnansweredPasswordByteIsLoginTimeoutAndNothingMoreIsTyped) {
    transport.DeliverAt(100, kGreeting);
    transport.Expect("a", {"*"});
    transport.Expect("d", {});  // no echo for the second byte
    EXPECT_EQ(LoginResult::LoginTimeout, dialogue.Login("admin", 2000));
    EXPECT_EQ("ad", transport.SentBytes());
}

TEST_F(DialogueTest, UnansweredCarriageReturnIsLoginTimeout) {
    transport.DeliverAt(100, kGreeting);
    transport.ExpectTyped("admin", "*");
    transport.Expect("\r", {});
    EXPECT_EQ(LoginResult::LoginTimeout, dialogue.Login("admin", 2000));
}

TEST_F(DialogueTest, AnswerWhoseThirdByteIsPIsARejectedPassword) {
    transport.DeliverAt(100, kGreeting);
    transport.ExpectTyped("wrong", "*");
    transport.Expect("\r", {"\n\rPassword:"});
    EXPECT_EQ(LoginResult::LoginRejected, dialogue.Login("wrong", 2000));

    // Even a real prompt counts as a rejection when the router's name begins with P.
    ManualClock clock2;
    ScriptedTransport transport2(clock2);
    TelnetDialogue dialogue2(transport2, clock2);
    transport2.DeliverAt(100, kGreeting);
    transport2.ExpectTyped("admin", "*");
    transport2.Expect("\r", {"\n\rPhoneBox> "});
    EXPECT_EQ(LoginResult::LoginRejected, dialogue2.Login("admin", 2000));
}

TEST_F(DialogueTest, ShortAnswerToThePasswordIsFollowedToThePrompt) {
    transport.DeliverAt(100, kGreeting);
    transport.ExpectTyped("admin", "*");
    transport.Expect("\r", {"\n\r", "Welcome, admin\n\r", "Router> "});
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("admin", 2000));
}

TEST_F(DialogueTest, SilenceWithoutAShellPromptAfterThePasswordIsNoShellPrompt) {
    transport.DeliverAt(100, kGreeting);
    transport.ExpectTyped("admin", "*");
    transport.Expect("\r", {"\n\rRouter>"});
    EXPECT_EQ(LoginResult::LoginNoShellPrompt, dialogue.Login("admin", 2000));
    const int64_t lastChunkAt = 1000 + 5 + 1;  // greeting pump, five echoes, then the answer to the CR
    EXPECT_EQ(lastChunkAt + 5000, clock.now);
}

// ---------------------------------------------------------------- command output

TEST_F(DialogueTest, CommandOutputIsEverythingAfterTheEchoedLineBreakUpToThePromptThenLfCr) {
    ScriptTypedCommand("voip sip port");
    transport.Expect("\r", {"\n\r", "port: 5060\n\r", kPromptChunk});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_EQ("port: 5060\n\r" + kPromptChunk + "\n\r", output);
    // The opening CR, one send per command byte, the closing CR.
    ASSERT_EQ(std::string("voip sip port").size() + 2, transport.sends.size());
    EXPECT_EQ("\rvoip sip port\r", transport.SentBytes());
    EXPECT_TRUE(transport.AllExpectationsMet());
}

TEST_F(DialogueTest, LineBreakArrivingWithTheOutputStaysInTheCapture) {
    ScriptTypedCommand("x");
    transport.Expect("\r", {"\n\rline\n\r", kPromptChunk});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ("\n\rline\n\r" + kPromptChunk + "\n\r", output);
}

TEST_F(DialogueTest, OutputOverManyChunksIsJoinedInArrivalOrderAndHeldWhole) {
    ScriptTypedCommand("voip sip calllog");
    std::vector<std::string> replies{"\n\r"};
    std::string body;
    for (int i = 0; i < 6; ++i) {
        std::string part(4000, static_cast<char>('a' + i));
        part[17] = '\0';  // NUL bytes are kept as bytes of the output
        body += part;
        replies.push_back(part);
    }
    replies.push_back(kPromptChunk);
    transport.Expect("\r", replies);
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "voip sip calllog"));
    EXPECT_EQ(body + kPromptChunk + "\n\r", output);
}

TEST_F(DialogueTest, ChunkEndingInThePromptEndsTheOutputEarly) {
    ScriptTypedCommand("x");
    transport.Expect("\r", {"\n\r", "value> ", "rest\n\r", kPromptChunk});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ("value> \n\r", output);
    EXPECT_EQ(2u, transport.PendingDeliveries() + transport.Queue().Size());
}

TEST_F(DialogueTest, EmptyLineNotAnsweredByThePromptFailsBeforeTypingAnything) {
    transport.Expect("\r", {"\n\r", "Router>"});
    std::string output = "previous";
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_EQ(CommandError::NotAPrompt, dialogue.LastError());
    EXPECT_TRUE(output.empty());
    EXPECT_EQ("\r", transport.SentBytes());
    EXPECT_EQ(1 + 2000, clock.now);
}

TEST_F(DialogueTest, MissingEchoFailsAfterTwoSecondsAndStopsTyping) {
    transport.Expect("\r", {kPromptChunk});
    transport.Expect("v", {"v"});
    transport.Expect("o", {});
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "voip"));
    EXPECT_EQ(CommandError::NoAnswer, dialogue.LastError());
    EXPECT_EQ("\rvo", transport.SentBytes());
    EXPECT_EQ(2 + 2000, clock.now);
}

TEST_F(DialogueTest, SilenceInTheMiddleOfTheOutputFailsAfterThreeSeconds) {
    ScriptTypedCommand("x");
    transport.Expect("\r", {"\n\r", "half of it"});
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ(CommandError::NoAnswer, dialogue.LastError());
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(3 + 3000, clock.now);
}

TEST_F(DialogueTest, EchoedLineBreakAloneThenSilenceFailsAfterThreeSeconds) {
    ScriptTypedCommand("x");
    transport.Expect("\r", {"\n\r"});
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ(3 + 3000, clock.now);
}

TEST_F(DialogueTest, EmptyCommandSendsTwoCarriageReturnsAndReturnsUpToTheSecondPrompt) {
    transport.Expect("\r", {kPromptChunk});
    transport.Expect("\r", {kPromptChunk});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, ""));
    EXPECT_EQ(kPromptChunk + "\n\r", output);
    EXPECT_EQ((std::vector<std::string>{"\r", "\r"}), transport.sends);
}

TEST_F(DialogueTest, OutputFillingTheCapExactlyIsHandedOverWhole) {
    ScriptTypedCommand("x");
    const std::size_t bodySize = kMaxOutputBytes - kPromptChunk.size() - 2;
    ScriptOutput(bodySize);
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ(kMaxOutputBytes, output.size());
    EXPECT_EQ(std::string(bodySize, 'o') + kPromptChunk + "\n\r", output);
}

TEST_F(DialogueTest, OutputBeyondTheCapFailsAtOnceInsteadOfBeingCut) {
    ScriptTypedCommand("x");
    const std::size_t bodySize = kMaxOutputBytes - kPromptChunk.size() - 1;  // one byte too many
    ScriptOutput(bodySize);
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ(CommandError::OutputTooLong, dialogue.LastError());
    EXPECT_TRUE(output.empty());
    EXPECT_LT(clock.now, 3000);  // failed on the chunk, not by waiting for a time-out

    // A router that never stops talking fails the same way.
    ManualClock clock2;
    ScriptedTransport transport2(clock2);
    TelnetDialogue dialogue2(transport2, clock2);
    transport2.Expect("\r", {kPromptChunk});
    transport2.ExpectTyped("y");
    transport2.Expect("\r", std::vector<std::string>(40, std::string(kChunkSize, 'z')));
    EXPECT_FALSE(dialogue2.GetCommandOutput(output, "y"));
    EXPECT_EQ(CommandError::OutputTooLong, dialogue2.LastError());
}

// ---------------------------------------------------------------- set commands

TEST_F(DialogueTest, SetCommandWaitsUpToFiveSecondsPerChunkAfterItsCarriageReturn) {
    ScriptTypedCommand("voip sip port 5062");
    transport.Expect("\r", {"\n\r", kPromptChunk}, 4900);
    EXPECT_TRUE(dialogue.SendSetCommand("voip sip port 5062"));
    EXPECT_EQ("\rvoip sip port 5062\r", transport.SentBytes());

    // The same slow answer is too slow for a command whose output is collected.
    ManualClock clock2;
    ScriptedTransport transport2(clock2);
    TelnetDialogue dialogue2(transport2, clock2);
    transport2.Expect("\r", {kPromptChunk});
    transport2.ExpectTyped("x");
    transport2.Expect("\r", {"\n\r", kPromptChunk}, 4900);
    std::string output;
    EXPECT_FALSE(dialogue2.GetCommandOutput(output, "x"));
}

TEST_F(DialogueTest, SetCommandFollowsItsReplyToThePromptAndFailsOnSilence) {
    ScriptTypedCommand("a");
    transport.Expect("\r", {"\n\r", "error: bad value\n\r", kPromptChunk});
    EXPECT_TRUE(dialogue.SendSetCommand("a"));

    ScriptTypedCommand("b");
    transport.Expect("\r", {"\n\r", "working"});
    const int64_t before = clock.now;
    EXPECT_FALSE(dialogue.SendSetCommand("b"));
    EXPECT_EQ(CommandError::NoAnswer, dialogue.LastError());
    EXPECT_EQ(before + 3 + 5000, clock.now);  // prompt, echo, then the last reply
}

TEST_F(DialogueTest, SetCommandNeedsThePromptForItsEmptyLine) {
    transport.Expect("\r", {"\n\rRouter>"});
    EXPECT_FALSE(dialogue.SendSetCommand("voip sip port 1"));
    EXPECT_EQ(CommandError::NotAPrompt, dialogue.LastError());
    EXPECT_EQ("\r", transport.SentBytes());
}

// ---------------------------------------------------------------- deadline, time scale, observer

TEST_F(DialogueTest, RouterTricklingItsOutputFailsTheCommandAtTheDeadlineNotAtTheCap) {
    ScriptTypedCommand("voip sip port");
    transport.Expect("\r", {"\n\r"});
    // One byte just inside every output wait; after the last one the deadline ends the command
    // before the output wait would.
    const int64_t start = clock.now;
    for (int i = 1; i <= 10; ++i) transport.DeliverAt(start + i * 2900, "x");
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_EQ(CommandError::TooSlow, dialogue.LastError());
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(start + kStepDeadlineMs, clock.now);

    // The next command has its own deadline: a trickle that ends in time is taken whole.
    ScriptTypedCommand("voip sip port");
    transport.Expect("\r", {"\n\r"});
    const int64_t second = clock.now;
    for (int i = 1; i <= 9; ++i) transport.DeliverAt(second + i * 2900, "y");
    transport.DeliverAt(second + 9 * 2900 + 1, kPromptChunk);
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_EQ(std::string(9, 'y') + kPromptChunk + "\n\r", output);
}

TEST_F(DialogueTest, TimeScaleStretchesThePausesTheTimeOutsAndTheDeadline) {
    dialogue.SetTimeScale(2);
    EXPECT_EQ(2 * kConnectTimeoutMs, dialogue.Scaled(kConnectTimeoutMs));
    // The greeting after the opening pause, the echoes 3 s late: too late at scale 1, in time at 2.
    transport.DeliverAt(100, kGreeting);
    transport.Expect("a", {"*"}, 3000).Expect("\r", {kPromptChunk}, 3000);
    ASSERT_EQ(LoginResult::LoginOk, dialogue.Login("a", kLoginTimeoutMs));
    EXPECT_EQ(2 * kLoginPumpMs + 6000, clock.now);

    ScriptTypedCommand("x");
    transport.Expect("\r", {"\n\r"});
    const int64_t start = clock.now;
    for (int i = 1; i <= 11; ++i) transport.DeliverAt(start + i * 5900, "z");
    std::string output;
    EXPECT_FALSE(dialogue.GetCommandOutput(output, "x"));
    EXPECT_EQ(start + 2 * kStepDeadlineMs, clock.now);
}

// Records what the dialogue reports, one line per event.
class EventLog : public SessionObserver {
public:
    void ChunkReceived(int64_t, std::string_view bytes) override { events.push_back("in " + std::string(bytes)); }
    void LineTyped(int64_t, std::string_view text, bool isPassword, bool echoed) override {
        events.push_back(std::string(isPassword ? "password " : "line ") + std::string(text) +
                         (echoed ? "" : " (no echo)"));
    }
    std::vector<std::string> events;
};

TEST_F(DialogueTest, ObserverSeesChunksAndTypedLinesWithTheEchoesFoldedIn) {
    EventLog log;
    dialogue.SetObserver(&log);
    ScriptLogin("pw");
    ASSERT_EQ(LoginResult::LoginOk, dialogue.Login("pw", kLoginTimeoutMs));
    ScriptTypedCommand("ab");
    transport.Expect("\r", {"\n\r", "out" + kPromptChunk});
    std::string output;
    ASSERT_TRUE(dialogue.GetCommandOutput(output, "ab"));
    transport.Expect("\r", {kPromptChunk});
    transport.Expect("c", {});
    EXPECT_FALSE(dialogue.SendSetCommand("cd"));
    EXPECT_EQ((std::vector<std::string>{"in " + kGreeting, "password pw", "in " + kPromptChunk, "line ",
                                        "in " + kPromptChunk, "line ab", "in \n\r", "in out" + kPromptChunk,
                                        "line ", "in " + kPromptChunk, "line c (no echo)"}),
              log.events);
}

}  // namespace
}  // namespace dezadav
