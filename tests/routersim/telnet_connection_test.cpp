// The router's side of the telnet dialogue, chunk by chunk, with and without faults.
#include "telnet_connection.h"

#include <gtest/gtest.h>

#include <vector>

namespace dezadav::routersim {
namespace {

class Dialogue {
public:
    explicit Dialogue(const std::string& faults = {}, const std::string& model = "DZV-R5830K") {
        RouterSetup setup;
        setup.address = "127.0.0.3";
        setup.model = model;
        setup.prompt = model;
        setup.mac = "00-11-22-33-44-55";
        std::string why;
        if (!faults.empty()) {
            EXPECT_TRUE(setup.faults.Apply(faults, &why)) << why;
        }
        EXPECT_TRUE(router.Init(setup, &why)) << why;
        connection = std::make_unique<TelnetConnection>(
            router, [this](const EmulatedRouter&, const std::string& line) { logged.push_back(line); }, now);
    }

    // Types bytes one at a time, as the program does, and takes every chunk due by then.
    std::vector<OutChunk> Type(const std::string& bytes, int64_t laterMs = 0) {
        for (char c : bytes) connection->Receive(&c, 1, now);
        return Take(laterMs);
    }
    std::vector<OutChunk> Take(int64_t laterMs = 0) {
        std::vector<OutChunk> due;
        auto& out = connection->Outgoing();
        while (!out.empty() && out.front().dueMs <= now + laterMs) {
            due.push_back(out.front());
            out.pop_front();
        }
        return due;
    }
    static std::string Joined(const std::vector<OutChunk>& chunks) {
        std::string all;
        for (const auto& c : chunks) all += c.bytes;
        return all;
    }
    void LogIn() {
        Take();
        Type("admin");
        Type("\r");
    }

    EmulatedRouter router;
    std::unique_ptr<TelnetConnection> connection;
    std::vector<std::string> logged;
    int64_t now = 1000;
};

bool EndsInPrompt(const std::string& s) {
    return s.size() >= 2 && s.compare(s.size() - 2, 2, "> ") == 0;
}

TEST(TelnetConnectionTest, LoginAnswersEveryByteAndEndsWithThePromptChunk) {
    Dialogue d;
    auto greeting = d.Take();
    ASSERT_EQ(greeting.size(), 1u);
    size_t at = greeting[0].bytes.find("Password:");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GE(at, 1u);
    for (char c : std::string("admin")) {
        auto mask = d.Type(std::string(1, c));
        ASSERT_EQ(mask.size(), 1u);
        EXPECT_EQ(mask[0].bytes, "*");  // the password itself never comes back
    }
    auto answer = d.Type("\r");
    ASSERT_EQ(answer.size(), 2u);
    EXPECT_NE(answer[0].bytes[2], 'P');
    EXPECT_FALSE(EndsInPrompt(answer[0].bytes));
    EXPECT_EQ(answer[1].bytes, "DZV-R5830K> ");
    EXPECT_TRUE(d.logged.empty());
}

TEST(TelnetConnectionTest, WrongPasswordAsksAgainAndTheThirdFailureCloses) {
    Dialogue d;
    d.Take();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        EXPECT_EQ(d.Type("admim").size(), 5u);
        auto answer = d.Type("\r");
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0].bytes, "\n\rPassword: ");
        EXPECT_EQ(answer[0].bytes[2], 'P');
        EXPECT_EQ(answer[0].closeAfter, attempt == 3);
    }
    // After the connection is given up nothing more is answered, not even the right password.
    EXPECT_TRUE(d.Type("admin\r").empty());
    // A prefix of the right password is wrong too.
    Dialogue e;
    e.Take();
    e.Type("admi\r");
    EXPECT_EQ(e.Type("n\r").size(), 2u);  // "*" and another rejection
}

TEST(TelnetConnectionTest, CommandLineEchoesEachByteAndAnswersWithOutputThenPrompt) {
    Dialogue d;
    d.LogIn();
    auto empty = d.Type("\r");
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].bytes, "\n\rDZV-R5830K> ");
    const std::string command = "voip dial_plan list -t";
    for (char c : command) {
        auto echo = d.Type(std::string(1, c));
        ASSERT_EQ(echo.size(), 1u);
        EXPECT_EQ(echo[0].bytes, std::string(1, c));
    }
    auto answer = d.Type("\r");
    ASSERT_GE(answer.size(), 3u);  // the listing is longer than one piece
    EXPECT_EQ(answer[0].bytes.substr(0, 4), "\n\rDi");
    for (size_t i = 0; i + 1 < answer.size(); ++i) {
        EXPECT_LE(answer[i].bytes.size(), TelnetConnection::kPiece);
        EXPECT_FALSE(EndsInPrompt(answer[i].bytes));
        EXPECT_EQ(answer[i].bytes.find("> "), std::string::npos);
    }
    EXPECT_EQ(answer.back().bytes, "DZV-R5830K> ");
    EXPECT_EQ(d.logged, std::vector<std::string>{command});

    // A set command that works prints nothing: the line break and the prompt come as one chunk.
    auto set = d.Type("voip sip port 5080\r");
    ASSERT_EQ(set.size(), 18u + 1u);
    EXPECT_EQ(set[18].bytes, "\n\rDZV-R5830K> ");
    EXPECT_EQ(d.router.state.sipPort, "5080");
    EXPECT_EQ(d.logged.back(), "voip sip port 5080");

    auto unknown = Dialogue::Joined(d.Type("frobnicate\r"));
    EXPECT_NE(unknown.find("\n\rError: unknown command\n\rDZV-R5830K> "), std::string::npos);
}

TEST(TelnetConnectionTest, ExitEndsTheSessionAndControlBytesReachTheLog) {
    Dialogue d;
    d.LogIn();
    d.Type(
        "voip sip registrar a\x01"
        "b\r");
    EXPECT_EQ(d.logged.back(),
              "voip sip registrar a\x01"
              "b");
    EXPECT_NE(d.router.state.registrar,
              "a\x01"
              "b");
    auto bye = d.Type("exit\r");
    ASSERT_FALSE(bye.empty());
    EXPECT_TRUE(bye.back().closeAfter);
}

TEST(TelnetConnectionTest, GreetingFaultPutsTelnetNegotiationFirst) {
    Dialogue d("iac-greeting");
    auto greeting = d.Take();
    ASSERT_EQ(greeting.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(greeting[0].bytes[0]), 0xFF);
    EXPECT_GT(greeting[0].bytes.find("Password:"), 0u);
    EXPECT_NE(greeting[0].bytes.find("Password:"), std::string::npos);
}

TEST(TelnetConnectionTest, SlowEchoDelaysEveryAnswerToATypedByte) {
    Dialogue d("slow-echo=250");
    d.Take();
    EXPECT_TRUE(d.Type("a").empty());
    auto mask = d.Take(250);
    ASSERT_EQ(mask.size(), 1u);
    EXPECT_EQ(mask[0].dueMs, d.now + 250);
    d.Type("dmin\r", 10000);
    d.now += 10000;
    EXPECT_TRUE(d.Type("v").empty());
    EXPECT_EQ(d.Take(249).size(), 0u);
    EXPECT_EQ(d.Take(250).size(), 1u);
}

TEST(TelnetConnectionTest, TrickleSendsACommandsOutputOneByteAtATimeBetweenAWholeLineBreakAndPrompt) {
    Dialogue d("trickle=40");
    d.Take();
    d.Type("admin");
    EXPECT_TRUE(EndsInPrompt(Dialogue::Joined(d.Type("\r"))));  // the login is not slowed
    EXPECT_EQ(d.Type("v").size(), 1u);                          // nor the echo of a typed byte
    d.Type("oip sip port");
    auto answer = d.Type("\r", 100000);
    const std::string output = "SIP port number: 5060\n\r";
    ASSERT_EQ(answer.size(), output.size() + 2);
    EXPECT_EQ(answer.front().bytes, "\n\r");
    for (size_t i = 0; i < output.size(); ++i) {
        EXPECT_EQ(answer[i + 1].bytes, output.substr(i, 1));
        EXPECT_EQ(answer[i + 1].dueMs, answer.front().dueMs + 40 * static_cast<int64_t>(i + 1));
    }
    EXPECT_EQ(answer.back().bytes, "DZV-R5830K> ");
    // The empty line before a command is answered by its prompt whole.
    EXPECT_EQ(d.Type("\r", 100000).size(), 1u);
}

TEST(TelnetConnectionTest, SilenceAndSilentPromptFaults) {
    Dialogue noPrompt("no-shell-prompt");
    noPrompt.LogIn();
    EXPECT_TRUE(noPrompt.Type("\r").empty());

    Dialogue silent("silent-after-login");
    silent.Take();
    silent.Type("admin");
    auto answer = silent.Type("\r");
    ASSERT_FALSE(answer.empty());
    EXPECT_TRUE(EndsInPrompt(answer.back().bytes));
    EXPECT_TRUE(silent.Type("\r").empty());
    EXPECT_TRUE(silent.Type("voip sip port\r").empty());
}

TEST(TelnetConnectionTest, MidCommandFaultsCutTheOutputAndLeaveTheSettings) {
    Dialogue silent("silent-in=voip sip port");
    silent.LogIn();
    EXPECT_TRUE(EndsInPrompt(Dialogue::Joined(silent.Type("voip rtp port\r"))));
    std::string cut = Dialogue::Joined(silent.Type("voip sip port 6000\r")).substr(18);
    EXPECT_EQ(cut, "\n\r");  // the line break, but never the prompt
    EXPECT_EQ(silent.router.state.sipPort, "5060");
    EXPECT_TRUE(silent.Type("\r").empty());
    EXPECT_EQ(silent.logged.back(), "voip sip port 6000");

    Dialogue half("silent-in=voip sip calllog");
    half.LogIn();
    auto out = half.Type("voip sip calllog\r");
    std::string text = Dialogue::Joined(out).substr(16);
    EXPECT_GT(text.size(), 100u);
    EXPECT_FALSE(EndsInPrompt(text));

    Dialogue drop("drop-in=voip dial_plan");
    drop.LogIn();
    auto dropped = drop.Type("voip dial_plan del 1\r");
    ASSERT_FALSE(dropped.empty());
    EXPECT_TRUE(dropped.back().closeAfter);
    EXPECT_TRUE(drop.router.state.dialPlan[0].InUse());
    // The fault names a command word by word: "voip dial_planx" is another command.
    EXPECT_FALSE(FaultSet::Hits({"voip dial_plan"}, "voip dial_planx 1"));
    EXPECT_TRUE(FaultSet::Hits({"voip dial_plan"}, "voip dial_plan"));

    Dialogue refused("error-in=voip rtp codec type");
    refused.LogIn();
    std::string reply = Dialogue::Joined(refused.Type("voip rtp codec type 1\r"));
    EXPECT_NE(reply.find("Error:"), std::string::npos);
    EXPECT_TRUE(EndsInPrompt(reply));
    EXPECT_EQ(refused.router.state.codec, 0);
}

TEST(TelnetConnectionTest, OversizedAndGarbageOutputs) {
    Dialogue big("big-output=voip sip calllog");
    big.LogIn();
    auto out = big.Type("voip sip calllog\r");
    std::string text = Dialogue::Joined(out).substr(16);
    EXPECT_GT(text.size(), 65536u);
    EXPECT_EQ(text.find("> "), text.size() - 2);
    EXPECT_NE(text.find("No.1\t"), std::string::npos);  // the real output comes first

    Dialogue garbage("garbage-in=voip rtp dtmf");
    garbage.LogIn();
    text = Dialogue::Joined(garbage.Type("voip rtp dtmf\r"));
    EXPECT_NE(text.find(GarbageLine()), std::string::npos);
    EXPECT_NE(text.find(std::string(1, '\0')), std::string::npos);
    EXPECT_EQ(text.find("> "), text.size() - 2);
    EXPECT_EQ(GarbageLine().find("> "), std::string::npos);
}

TEST(TelnetConnectionTest, SeparateLineBreakSendsTheEchoedLineBreakAlone) {
    Dialogue d("separate-line-break");
    d.LogIn();
    d.Type("voip sip port");
    auto first = d.Type("\r");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].bytes, "\n\r");
    auto rest = d.Take(TelnetConnection::kSeparateLineBreakPauseMs);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].bytes.substr(0, 4), "\n\rSI");
    EXPECT_TRUE(EndsInPrompt(rest[1].bytes));
    d.now += 1000;
    d.Type("voip sip port 5070");
    auto setFirst = d.Type("\r");
    ASSERT_EQ(setFirst.size(), 1u);
    EXPECT_EQ(setFirst[0].bytes, "\n\r");
    auto setRest = d.Take(TelnetConnection::kSeparateLineBreakPauseMs);
    ASSERT_EQ(setRest.size(), 1u);
    EXPECT_EQ(setRest[0].bytes, "DZV-R5830K> ");
}

}  // namespace
}  // namespace dezadav::routersim
