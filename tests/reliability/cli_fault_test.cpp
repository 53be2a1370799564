// dezadav-cli, run as its own process, against a faulty emulated router: each failure ends with
// exit status 1 and exactly its one message on standard error, prints only the commands that went
// out, writes no file, and the same command run again once the fault is gone succeeds. These runs
// take real time: every time-out of the dialogue passes at its full length.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/cli_test.h"
#include "support/router_commands.h"

namespace dezadav::testing {
namespace {

constexpr const char* kTwoPortIp = "127.0.0.2";
constexpr const char* kTwoPortModel = "DZV-R5730K";
constexpr const char* kApplied = "Settings have been applied to router.";

class CliFaultTest : public CliProcessTest {
protected:
    void SetUp() override { ASSERT_TRUE(sim.IsRunning()); }

    CliRun Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--router", kTwoPortIp, "--telnet-port", std::to_string(sim.TelnetPort())});
        // The call log reads the same on every model: log takes none.
        if (args.front() != "log") args.insert(args.end(), {"--model", kTwoPortModel});
        return CliProcessTest::Run(args);
    }

    // Where a connect or login failure says it happened.
    std::string Place() { return std::string(kTwoPortIp) + ":" + std::to_string(sim.TelnetPort()); }

    void Fault(const std::string& fault) {
        ASSERT_EQ(0u, sim.Control(std::string("fault ") + kTwoPortIp + ":" + fault).rfind("OK", 0));
    }
    void ClearFaults() {
        ASSERT_EQ(0u, sim.Control(std::string("clearfaults ") + kTwoPortIp).rfind("OK", 0));
    }

    std::vector<std::string> Commands() { return CommandsOf(sim, kTwoPortIp); }

    RouterSimProcess sim;
};

// A fetch that fails writes no file; the same fetch afterwards writes what a clean one writes.
TEST_F(CliFaultTest, FailedFetchWritesNothingAndTheNextFetchIsWhole) {
    const std::string clean = TempPath("clean.csv");
    ASSERT_EQ(0, Run({"fetch", "--output", clean}).exitCode);

    struct Case {
        std::string fault;
        std::string message;
    };
    for (const Case& c : {Case{"silent-after-login", "Failed to get DialPlan data from router!"},
                          Case{"drop-in=voip sip endpt1", "Failed to get SIP data from router!"},
                          Case{"big-output=voip rtp dtmf", "Failed to get Codec data from router!"}}) {
        SCOPED_TRACE(c.fault);
        Fault(c.fault);
        const std::string path = TempPath("failed.csv");
        const CliRun failed = Run({"fetch", "--output", path});
        ClearFaults();
        EXPECT_EQ(1, failed.exitCode);
        EXPECT_EQ(c.message + "\n", failed.err);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // Garbage before a prompt changes nothing that is read.
    Fault("garbage-in=voip sip registrar");
    const std::string again = TempPath("again.csv");
    const CliRun ok = Run({"fetch", "--output", again});
    ClearFaults();
    EXPECT_EQ(0, ok.exitCode) << ok.err;
    EXPECT_EQ(ReadAll(clean), ReadAll(again));
}

TEST_F(CliFaultTest, FailedLogSaysWhyAndPrintsNoRecord) {
    for (const char* fault : {"silent-in=voip sip calllog", "no-shell-prompt"}) {
        SCOPED_TRACE(fault);
        Fault(fault);
        const CliRun failed = Run({"log"});
        ClearFaults();
        EXPECT_EQ(1, failed.exitCode);
        EXPECT_TRUE(failed.out.empty());
        EXPECT_EQ(std::string(fault).rfind("silent-in", 0) == 0
                      ? "Failed to get VoIP Log data from router!\n"
                      : "Failed to login router! (" + Place() + ")\n",
                  failed.err);
    }
    const CliRun ok = Run({"log"});
    EXPECT_EQ(0, ok.exitCode) << ok.err;
    EXPECT_FALSE(ok.out.empty());
}

// An apply that fails in the SIP area prints the commands that went out, up to the failing one, and
// sends no codec command; run again, it sends the SIP and codec areas whole. A router that answers a
// command with an error text refuses it: the apply stops there too.
TEST_F(CliFaultTest, ApplyFailingPartWayThenAppliedWhole) {
    const std::string input = TempPath("sip_codec.csv");
    std::ofstream(input, std::ios::binary) << "5062,reg.example,1,alice,pw,3,0,bob,pw2,4\r\n\r\n;SIP\r\n"
                                              "G.711A (64Kpbs),30 ms,2,110,12000,13000\r\n\r\n;END\r\n";

    Fault("silent-in=voip sip endpt1 pass");
    sim.ClearCommandLog();
    const CliRun failed = Run({"apply", "--input", input, "--show-secrets"});
    ClearFaults();
    EXPECT_EQ(1, failed.exitCode);
    EXPECT_EQ("Failed to set SIP data to router!\n", failed.err);
    const std::vector<std::string> printed = Lines(failed.out);
    ASSERT_EQ(5u, printed.size()) << failed.out;
    EXPECT_EQ("voip sip port 5062", printed[0]);
    EXPECT_EQ("voip sip endpt1 pass pw", printed[4]);
    // The router received the fetch, then exactly the printed commands.
    std::vector<std::string> received = Commands();
    ASSERT_GE(received.size(), printed.size());
    EXPECT_EQ(printed, std::vector<std::string>(received.end() - printed.size(), received.end()));

    // The router refuses the codec type: the apply stops there and says so, quoting the router.
    Fault("error-in=voip rtp codec type");
    sim.ClearCommandLog();
    const CliRun refused = Run({"apply", "--input", input});
    ClearFaults();
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ("The router refused a command; the apply was stopped there.\nvoip rtp codec type 1\n"
              "\"Error: command failed\"\n",
              refused.err);
    const std::vector<std::string> all = Lines(refused.out);
    ASSERT_EQ(10u + 1u, all.size()) << refused.out;
    EXPECT_EQ("voip sip port 5062", all[0]);
    EXPECT_EQ("voip rtp codec type 1", all[10]);

    // The SIP area went through and is held: a third apply sends the codec area alone.
    sim.ClearCommandLog();
    const CliRun third = Run({"apply", "--input", input});
    EXPECT_EQ(0, third.exitCode) << third.err;
    const std::vector<std::string> rest = Lines(third.out);
    ASSERT_EQ(6u + 1u, rest.size()) << third.out;
    EXPECT_EQ("voip rtp codec type 1", rest.front());
    EXPECT_EQ(kApplied, rest.back());
}

// A connection dropped in the dial-plan or the codec area: that area's message, only the commands that
// went out printed and nothing sent after them; the same apply afterwards goes through. (A dial-plan
// section replaces the whole dial plan: the router's other entries are deleted in list order.)
TEST_F(CliFaultTest, ApplyDroppedPartWayReportsItsAreaAndPrintsOnlyWhatWentOut) {
    struct Case {
        std::string file;
        std::string fault;
        std::string message;
        std::vector<std::string> printedTail;  // the last lines printed
        bool wholeOutput;                      // the tail is all that is printed
    };
    const std::vector<Case> cases{
        {"2,222,,a@10.0.0.2,,,V\r\n5,555,,b@10.0.0.5,,,V\r\n7,777,,c@10.0.0.7,,,-\r\n\r\n;LIST\r\n",
         "drop-in=voip dial_plan set 5", "Failed to set DialPlan data to router!",
         {"voip dial_plan del 1", "voip dial_plan set 2 222 a 10.0.0.2 1", "voip dial_plan del 3",
          "voip dial_plan del 4", "voip dial_plan set 5 555 b 10.0.0.5 1"},
         true},
        {"G.711A (64Kpbs),30 ms,2,111,12002,13002\r\n\r\n;END\r\n", "drop-in=voip rtp dtmf payloadtype",
         "Failed to set Codec data to router!", {"voip rtp dtmf payloadtype 111"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string input = TempPath("dropped.csv");
        WriteAll(input, c.file);
        Fault(c.fault);
        const CliRun failed = Run({"apply", "--input", input});
        ClearFaults();
        EXPECT_EQ(1, failed.exitCode);
        EXPECT_EQ(c.message + "\n", failed.err);
        const std::vector<std::string> printed = Lines(failed.out);
        ASSERT_GE(printed.size(), c.printedTail.size()) << failed.out;
        EXPECT_EQ(c.printedTail, std::vector<std::string>(printed.end() - c.printedTail.size(), printed.end()));
        if (c.wholeOutput) {
            EXPECT_EQ(c.printedTail.size(), printed.size()) << failed.out;
        }
        EXPECT_EQ(printed.back(), Commands().back());

        const CliRun ok = Run({"apply", "--input", input});
        EXPECT_EQ(0, ok.exitCode) << ok.err;
        EXPECT_EQ(kApplied, Lines(ok.out).back());
    }
}

}  // namespace
}  // namespace dezadav::testing
