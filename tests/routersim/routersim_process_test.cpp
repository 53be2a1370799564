// The emulator as a process, over real loopback sockets: a client that follows the dialogue byte by
// byte logs in to both router forms, fetches the nine outputs, applies changes and reads them back,
// and sees every fault that can be switched on.
#include "support/routersim_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "output_forms.h"
#include "support/wire_client.h"

namespace dezadav::testing {
namespace {

constexpr const char* kTwoPort = "127.0.0.2";
constexpr const char* kOnePort = "127.0.0.3";

const std::vector<std::string> kEndpointKeys = {"name:", "registrar:", "password:", "seconds:"};

struct Session {
    WireClient client;
    bool ok = false;
    Session(const RouterSimProcess& sim, const std::string& ip, const std::string& password = "admin") {
        ok = client.Connect(ip, sim.TelnetPort()) && client.LogIn(password) == WireClient::Login::Ok;
    }
    std::string Run(const std::string& command) {
        auto out = client.Command(command);
        EXPECT_TRUE(out.has_value()) << command;
        return out.value_or("");
    }
};

// The captured output ends with the router's prompt line, then LF CR.
void ExpectClosingPrompt(const std::string& captured, const std::string& prompt) {
    ASSERT_GE(captured.size(), prompt.size() + 6);
    EXPECT_EQ(captured.substr(captured.size() - prompt.size() - 6), "\n\r" + prompt + "> \n\r");
    EXPECT_EQ(captured.find("> "), captured.size() - 4);
    EXPECT_EQ(captured.substr(0, 2), "\n\r");  // the echoed line break is kept
}

TEST(RouterSimProcessTest, FetchesAllNineOutputsOfBothRouterForms) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EXPECT_NE(sim.TelnetPort(), 0);
    EXPECT_EQ(sim.RouterAddresses(), (std::vector<std::string>{kTwoPort, kOnePort}));

    for (const bool twoPort : {true, false}) {
        SCOPED_TRACE(twoPort ? "two-port" : "one-port");
        const std::string ip = twoPort ? kTwoPort : kOnePort;
        const std::string prompt = twoPort ? "DZV-R5730K" : "DZV-R5830K";
        Session s(sim, ip);
        ASSERT_TRUE(s.ok);

        std::string listing = s.Run("voip dial_plan list -t");
        ExpectClosingPrompt(listing, prompt);
        auto entries = ReadDialPlanListing(listing, twoPort);
        ASSERT_GE(entries.size(), 10u);
        bool twoDigits = false, disabled = false, atSign = false;
        for (const auto& e : entries) {
            EXPECT_FALSE(e.phone.empty());
            EXPECT_FALSE(e.domain.empty());
            EXPECT_EQ(e.domain.find_first_of("\r\n"), std::string::npos);
            twoDigits = twoDigits || e.index >= 10;
            disabled = disabled || !e.enabled;
            atSign = atSign || !e.user.empty();
            if (!twoPort) {
                EXPECT_TRUE(e.loop >= '0' && e.loop <= '2') << e.index;
            }
        }
        EXPECT_TRUE(twoDigits && disabled && atSign);
        EXPECT_EQ(entries.back().index, 60);  // the reader got through every block to the last one

        for (int port : {1, 2}) {
            std::string command = "voip sip endpt" + std::to_string(port);
            if (port == 2 && !twoPort) {
                EXPECT_NE(s.Run(command).find("Error:"), std::string::npos);
                continue;
            }
            std::string out = s.Run(command);
            ExpectClosingPrompt(out, prompt);
            auto v = ReadKeywordValues(out, kEndpointKeys);
            EXPECT_EQ(v.size(), 4u);
            EXPECT_FALSE(v["name:"].empty());
            EXPECT_GT(std::atoi(v["seconds:"].c_str()), 0);
        }
        std::string port = s.Run("voip sip port");
        ExpectClosingPrompt(port, prompt);
        EXPECT_EQ(ReadKeywordValues(port, {"number:"})["number:"], "5060");
        EXPECT_FALSE(ReadKeywordValues(s.Run("voip sip registrar"), {"Now:"})["Now:"].empty());
        auto codec = ReadRtpValues(s.Run("voip rtp codec"), {{"type", "="}, {"size", "="}});
        ASSERT_EQ(codec.size(), 2u);
        EXPECT_LE(std::atoi(codec[0].c_str()), twoPort ? 4 : 2);
        EXPECT_EQ(ReadRtpValues(s.Run("voip rtp dtmf"), {{"mode:"}, {"type:"}}).size(), 2u);
        EXPECT_EQ(ReadRtpValues(s.Run("voip rtp port"), {{"start", "port:"}, {"end", "port:"}}).size(), 2u);
        std::string log = s.Run("voip sip calllog");
        ExpectClosingPrompt(log, prompt);
        auto calls = ReadCallLog(log);
        ASSERT_GE(calls.size(), 2u);
        bool in = false, out = false;
        for (const auto& c : calls) (c.direction == "IN" ? in : out) = true;
        EXPECT_TRUE(in && out);
        EXPECT_NE(log.find("00-00-"), std::string::npos);  // an empty slot
        EXPECT_LE(log.size(), 1100u);                      // fits the program's call-log buffer
    }
    auto log = sim.CommandLog();
    ASSERT_EQ(log.size(), 18u);
    EXPECT_EQ(log.front(), "127.0.0.2 voip dial_plan list -t");
    EXPECT_EQ(log[2], "127.0.0.2 voip sip endpt2");
    EXPECT_EQ(log.back(), "127.0.0.3 voip sip calllog");
    for (const auto& line : log) EXPECT_EQ(line.find("admin"), std::string::npos);
}

TEST(RouterSimProcessTest, SetAndDeleteCommandsReadBackChanged) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    {
        Session s(sim, kOnePort);
        ASSERT_TRUE(s.ok);
        for (const char* c :
             {"voip dial_plan del 1", "voip dial_plan set 11 4711 \"\" pbx.example.org 0 2 \"\"",
              "voip dial_plan set 2 222 sales 192.168.1.99 1 1 5550000", "voip sip port 5062",
              "voip sip registrar \"\"", "voip sip endpt1 use_reg 0", "voip sip endpt1 name carol",
              "voip sip endpt1 pass pw", "voip sip endpt1 expire 4", "voip rtp codec type 1",
              "voip rtp codec size 3", "voip rtp dtmf mode 0", "voip rtp dtmf payloadtype 120",
              "voip rtp port start 30000", "voip rtp port end 30100"}) {
            std::string reply = s.Run(c);
            EXPECT_EQ(reply, "\n\rDZV-R5830K> \n\r") << c;  // a set that works prints nothing
        }
    }
    Session s(sim, kOnePort);  // a fresh login sees what the last one set
    ASSERT_TRUE(s.ok);
    auto entries = ReadDialPlanListing(s.Run("voip dial_plan list -t"), false);
    ASSERT_FALSE(entries.empty());
    EXPECT_NE(entries[0].index, 1);
    bool found11 = false, found2 = false;
    for (const auto& e : entries) {
        if (e.index == 11) {
            found11 = true;
            EXPECT_EQ(e.phone, "4711");
            EXPECT_EQ(e.user, "");
            EXPECT_EQ(e.domain, "pbx.example.org");
            EXPECT_FALSE(e.enabled);
            EXPECT_EQ(e.loop, '2');
            EXPECT_EQ(e.backup, "");
        }
        if (e.index == 2) {
            found2 = true;
            EXPECT_EQ(e.user, "sales");
            EXPECT_EQ(e.domain, "192.168.1.99");
            EXPECT_EQ(e.backup, "5550000");
            EXPECT_EQ(e.loop, '1');
        }
    }
    EXPECT_TRUE(found11 && found2);
    auto e1 = ReadKeywordValues(s.Run("voip sip endpt1"), kEndpointKeys);
    EXPECT_EQ(e1["registrar:"], "0");
    EXPECT_EQ(e1["name:"], "carol");
    EXPECT_EQ(e1["password:"], "pw");
    EXPECT_EQ(e1["seconds:"], "3600");
    EXPECT_EQ(ReadKeywordValues(s.Run("voip sip port"), {"number:"})["number:"], "5062");
    EXPECT_EQ(ReadKeywordValues(s.Run("voip sip registrar"), {"Now:"})["Now:"], "");
    EXPECT_EQ(ReadRtpValues(s.Run("voip rtp codec"), {{"type", "="}, {"size", "="}}),
              (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(ReadRtpValues(s.Run("voip rtp dtmf"), {{"mode:"}, {"type:"}}),
              (std::vector<std::string>{"0", "120"}));
    EXPECT_EQ(ReadRtpValues(s.Run("voip rtp port"), {{"start", "port:"}, {"end", "port:"}}),
              (std::vector<std::string>{"30000", "30100"}));

    // The two-port router was not touched, and takes its own forms of the same commands.
    Session two(sim, kTwoPort);
    ASSERT_TRUE(two.ok);
    EXPECT_EQ(ReadKeywordValues(two.Run("voip sip port"), {"number:"})["number:"], "5060");
    EXPECT_EQ(two.Run("voip dial_plan set 33 3333 x 10.3.3.3 1"), "\n\rDZV-R5730K> \n\r");
    EXPECT_EQ(two.Run("voip sip endpt2 expire 3"), "\n\rDZV-R5730K> \n\r");
    EXPECT_EQ(ReadKeywordValues(two.Run("voip sip endpt2"), kEndpointKeys)["seconds:"], "3600");
    bool found33 = false;
    for (const auto& e : ReadDialPlanListing(two.Run("voip dial_plan list -t"), true)) {
        found33 = found33 || (e.index == 33 && e.phone == "3333" && e.user == "x" && e.enabled);
    }
    EXPECT_TRUE(found33);
    // A bad value gets an error line and the prompt back.
    std::string refused = two.Run("voip rtp dtmf payloadtype 5");
    EXPECT_EQ(refused.rfind("\n\rError: ", 0), 0u);
    ExpectClosingPrompt(refused, "DZV-R5730K");
}

TEST(RouterSimProcessTest, CallsAddedWhileRunningComeFirst) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    Session s(sim, kTwoPort);
    ASSERT_TRUE(s.ok);
    auto before = ReadCallLog(s.Run("voip sip calllog"));
    ASSERT_FALSE(before.empty());
    std::string answer = sim.Control("addcall 127.0.0.2");
    ASSERT_EQ(answer.rfind("OK addcall ", 0), 0u) << answer;
    std::string second = sim.Control("addcall 127.0.0.2 12-24-2024 18:30:00 95 OUT 101@192.168.1.21");
    ASSERT_EQ(second, "OK addcall 12-24-2024 18:30:00");
    auto after = ReadCallLog(s.Run("voip sip calllog"));
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after[0].date + " " + after[0].time, "12-24-2024 18:30:00");
    EXPECT_EQ(after[0].duration, "95");
    EXPECT_EQ("OK addcall " + after[1].date + " " + after[1].time, answer);
    EXPECT_EQ(after[1].direction, "IN");
    EXPECT_EQ(after[2].time, before[0].time);
    // The other router's log is its own.
    Session one(sim, kOnePort);
    ASSERT_TRUE(one.ok);
    EXPECT_NE(ReadCallLog(one.Run("voip sip calllog"))[0].time, after[1].time);
    EXPECT_EQ(sim.Control("addcall 127.0.0.99").rfind("ERROR", 0), 0u);
    EXPECT_EQ(sim.Control("addcall 127.0.0.2 yesterday").rfind("ERROR", 0), 0u);
}

TEST(RouterSimProcessTest, CallsArriveByThemselvesAtTheChosenInterval) {
    RouterSimProcess sim({"--add-call-every", "1"});
    ASSERT_TRUE(sim.IsRunning());
    Session s(sim, kOnePort);
    ASSERT_TRUE(s.ok);
    const size_t before = ReadCallLog(s.Run("voip sip calllog")).size();
    size_t now = before;
    for (int attempt = 0; attempt < 50 && now == before; ++attempt) {
        usleep(100000);
        now = ReadCallLog(s.Run("voip sip calllog")).size();
    }
    EXPECT_GT(now, before);
}

TEST(RouterSimProcessTest, TwoEmulatorsRunSideBySideOnPortsOfTheirOwn) {
    RouterSimProcess a;
    RouterSimProcess b;
    ASSERT_TRUE(a.IsRunning());
    ASSERT_TRUE(b.IsRunning());
    EXPECT_NE(a.TelnetPort(), b.TelnetPort());
    EXPECT_NE(a.DiscoveryPort(), b.DiscoveryPort());
    Session sa(a, kOnePort);
    Session sb(b, kTwoPort);
    ASSERT_TRUE(sa.ok && sb.ok);
    sa.Run("voip sip port 5999");
    EXPECT_EQ(ReadKeywordValues(sb.Run("voip sip port"), {"number:"})["number:"], "5060");
    EXPECT_EQ(a.CommandLog(), std::vector<std::string>{"127.0.0.3 voip sip port 5999"});
    EXPECT_EQ(b.CommandLog(), std::vector<std::string>{"127.0.0.2 voip sip port"});
    a.ClearCommandLog();
    EXPECT_TRUE(a.CommandLog().empty());
    sa.Run("voip rtp port");
    EXPECT_EQ(a.CommandLog(), std::vector<std::string>{"127.0.0.3 voip rtp port"});
}

TEST(RouterSimProcessTest, ConfigFileRoutersAnswerWithTheirOwnSettings) {
    std::string path = ::testing::TempDir() + "routersim_process_test.conf";
    std::ofstream(path) << "[router]\n"
                           "address = 127.0.0.4\n"
                           "model = DZV-R5430K\n"
                           "password = s3cret\n"
                           "prompt = Lab\n"
                           "settings = empty\n"
                           "command = voip dial_plan set 14 1400 desk 10.9.9.9 1\n"
                           "call = 05-06-2024 07:08:09 33 IN 10.9.9.9 5060\n";
    RouterSimProcess sim({"--config", path});
    std::remove(path.c_str());
    ASSERT_TRUE(sim.IsRunning());
    EXPECT_EQ(sim.RouterAddresses(), std::vector<std::string>{"127.0.0.4"});
    WireClient wrong;
    ASSERT_TRUE(wrong.Connect("127.0.0.4", sim.TelnetPort()));
    EXPECT_EQ(wrong.LogIn("admin"), WireClient::Login::Rejected);
    Session s(sim, "127.0.0.4", "s3cret");
    ASSERT_TRUE(s.ok);
    std::string listing = s.Run("voip dial_plan list -t");
    ExpectClosingPrompt(listing, "Lab");
    auto entries = ReadDialPlanListing(listing, true);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].index, 14);
    EXPECT_EQ(entries[0].user, "desk");
    auto calls = ReadCallLog(s.Run("voip sip calllog"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].address, "10.9.9.9 5060");
}

// ---- Faults, each switched on and seen on the wire ----

TEST(RouterSimFaultTest, LoginFaults) {
    RouterSimProcess sim({"--fault", "127.0.0.2:iac-greeting", "--fault", "127.0.0.3:no-shell-prompt"});
    ASSERT_TRUE(sim.IsRunning());
    Session iac(sim, kTwoPort);
    EXPECT_TRUE(iac.ok);
    EXPECT_EQ(static_cast<unsigned char>(iac.client.lastGreeting.at(0)), 0xFF);

    WireClient noPrompt;
    ASSERT_TRUE(noPrompt.Connect(kOnePort, sim.TelnetPort()));
    EXPECT_EQ(noPrompt.LogIn("admin"), WireClient::Login::NoShellPrompt);

    WireClient wrong;
    ASSERT_TRUE(wrong.Connect(kTwoPort, sim.TelnetPort()));
    EXPECT_EQ(wrong.LogIn("Admin"), WireClient::Login::Rejected);
    EXPECT_TRUE(sim.CommandLog().empty());  // passwords are never logged

    // Faults switch at run time too.
    EXPECT_EQ(sim.Control("fault 127.0.0.2:silent-after-login"), "OK fault");
    Session silent(sim, kTwoPort);
    EXPECT_TRUE(silent.ok);
    EXPECT_FALSE(silent.client.Command("voip sip port").has_value());
    EXPECT_EQ(sim.Control("clearfaults 127.0.0.2"), "OK clearfaults");
    Session back(sim, kTwoPort);
    ASSERT_TRUE(back.ok);
    EXPECT_FALSE(back.Run("voip sip port").empty());
    EXPECT_EQ(sim.Control("fault 127.0.0.2:nonsense").rfind("ERROR", 0), 0u);
}

TEST(RouterSimFaultTest, SilenceAndDropInTheMiddleOfANamedCommand) {
    RouterSimProcess sim(
        {"--fault", "127.0.0.2:silent-in=voip sip registrar", "--fault", "127.0.0.3:drop-in=voip rtp codec"});
    ASSERT_TRUE(sim.IsRunning());
    Session silent(sim, kTwoPort);
    ASSERT_TRUE(silent.ok);
    EXPECT_FALSE(silent.Run("voip sip port").empty());
    EXPECT_FALSE(silent.client.Command("voip sip registrar").has_value());
    EXPECT_FALSE(silent.client.closed);
    EXPECT_FALSE(silent.client.Chunk(300).has_value());

    Session drop(sim, kOnePort);
    ASSERT_TRUE(drop.ok);
    EXPECT_FALSE(drop.Run("voip rtp dtmf").empty());
    EXPECT_FALSE(drop.client.Command("voip rtp codec").has_value());
    EXPECT_TRUE(drop.client.closed);
    auto log = sim.CommandLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1], "127.0.0.2 voip sip registrar");
    EXPECT_EQ(log[3], "127.0.0.3 voip rtp codec");
}

TEST(RouterSimFaultTest, SlowEchoHoldsBackEveryAnswer) {
    RouterSimProcess sim({"--fault", "127.0.0.3:slow-echo=400"});
    ASSERT_TRUE(sim.IsRunning());
    WireClient c;
    ASSERT_TRUE(c.Connect(kOnePort, sim.TelnetPort()));
    ASSERT_TRUE(c.Chunk().has_value());  // the greeting is not held back
    c.SendByte('a');
    EXPECT_FALSE(c.Chunk(150).has_value());
    auto mask = c.Chunk(3000);
    ASSERT_TRUE(mask.has_value());
    EXPECT_EQ(*mask, "*");
}

TEST(RouterSimFaultTest, OversizedAndGarbageOutputs) {
    RouterSimProcess sim({"--fault", "127.0.0.2:big-output=voip dial_plan list -t", "--fault",
                          "127.0.0.3:garbage-in=voip sip endpt1"});
    ASSERT_TRUE(sim.IsRunning());
    Session big(sim, kTwoPort);
    ASSERT_TRUE(big.ok);
    auto huge = big.client.Command("voip dial_plan list -t", 10 * 1024 * 1024);
    ASSERT_TRUE(huge.has_value());
    EXPECT_GT(huge->size(), 65536u);
    EXPECT_GT(big.client.chunks, 1);
    EXPECT_EQ(huge->find("> "), huge->size() - 4);
    EXPECT_FALSE(big.client.Command("voip dial_plan list -t", 65536).has_value());  // over the cap

    Session garbage(sim, kOnePort);
    ASSERT_TRUE(garbage.ok);
    std::string out = garbage.Run("voip sip endpt1");
    EXPECT_NE(out.find(std::string("\xff\xfb\x01", 3)), std::string::npos);
    EXPECT_NE(out.find('\0'), std::string::npos);
    ExpectClosingPrompt(out, "DZV-R5830K");
    EXPECT_EQ(ReadKeywordValues(out, kEndpointKeys)["name:"], "0301234567");
}

TEST(RouterSimFaultTest, ErrorTextForANamedSetCommand) {
    RouterSimProcess sim({"--fault", "error-in=voip sip endpt1 name"});
    ASSERT_TRUE(sim.IsRunning());
    Session s(sim, kTwoPort);
    ASSERT_TRUE(s.ok);
    std::string reply = s.Run("voip sip endpt1 name zed");
    EXPECT_NE(reply.find("Error:"), std::string::npos);
    ExpectClosingPrompt(reply, "DZV-R5730K");
    EXPECT_NE(ReadKeywordValues(s.Run("voip sip endpt1"), kEndpointKeys)["name:"], "zed");
    EXPECT_EQ(s.Run("voip sip endpt1 pass zed"), "\n\rDZV-R5730K> \n\r");
}

}  // namespace
}  // namespace dezadav::testing
