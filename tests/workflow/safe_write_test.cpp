// What the workflow does so that no apply writes what the user did not mean: a restore from a
// router's own file changes nothing, settings the router did not tell are never written, and a
// cancelled switch to another router leaves the window on the one before. The router is the
// emulator's command line in simulated time, so routers of any state can be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "history/git_history.h"
#include "support/emulated_program.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

constexpr const char* kNoChanges = "There are no changes to apply.";

// True when a command other than the reads of a fetch reached the router.
bool SentAnySetting(const std::vector<std::string>& commands) {
    for (const std::string& command : commands) {
        const bool read = std::any_of(std::begin(kFetchCommands), std::end(kFetchCommands),
                                      [&](const FetchCommand& fetch) { return command == fetch.command; });
        if (!read) return true;
    }
    return false;
}

// A router's own Save All file, loaded into a program that has seen no router (after Skip) or into one
// connected to that router, applies nothing: whatever the form, whatever odd value the router printed.
TEST(SafeWriteTest, RestoringARoutersOwnFileSendsNothing) {
    TempFiles temp("dezadav_safe_");
    for (const bool twoPort : {true, false}) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            SCOPED_TRACE(std::string(twoPort ? "two-port" : "one-port") + " seed " + std::to_string(seed));
            std::mt19937 random(seed * 104729u + (twoPort ? 7u : 0u));
            EmulatedLine router(twoPort ? kTwoPortModel : kOnePortModel);
            router.router.state = RandomRouter(twoPort, random);
            const std::string path = temp.Path("router" + std::to_string(seed) + ".csv");
            {
                Program saving(router);
                ASSERT_EQ(ConnectOutcome::Connected, saving.Connect(twoPort));
                std::ofstream(path, std::ios::binary) << saving.workflow.Files().SettingsFileText();
            }

            Program afterSkip(router);
            ASSERT_EQ(ConnectOutcome::Skipped, afterSkip.Skip());
            ASSERT_EQ(FileOutcome::Done, afterSkip.workflow.Files().LoadSettingsFile(path)) << afterSkip.workflow.Files().LastFileProblem();
            afterSkip.port.selections.push_back(Choose(twoPort));
            afterSkip.port.passwords.push_back("admin");
            router.commands.clear();
            EXPECT_EQ(ApplyOutcome::NoChanges, afterSkip.workflow.ApplyFlow());
            EXPECT_EQ(std::vector<std::string>{kNoChanges}, afterSkip.port.MessageTexts());
            EXPECT_FALSE(SentAnySetting(router.commands)) << ::testing::PrintToString(router.commands);

            Program connected(router);
            std::string problem;
            const auto history = GitHistory::Open(temp.Path((twoPort ? "history2_" : "history1_") + std::to_string(seed)), "test", &problem);
            ASSERT_TRUE(history) << problem;
            connected.workflow.Recorder().SetHistory(history.get(), HistoryCause::Fetch);
            ASSERT_EQ(ConnectOutcome::Connected, connected.Connect(twoPort));
            ASSERT_EQ(FileOutcome::Done, connected.workflow.Files().LoadSettingsFile(path));
            router.commands.clear();
            EXPECT_EQ(ApplyOutcome::NoChanges, connected.workflow.ApplyFlow());
            EXPECT_EQ(std::vector<std::string>{kNoChanges}, connected.port.MessageTexts());
            EXPECT_TRUE(router.commands.empty());

            // The fetch's record, restored, is what the router holds as well.
            std::optional<std::string> listed;
            const auto records = connected.workflow.Recorder().Records(connected.workflow.Connected().HistoryKey(), &listed);
            ASSERT_FALSE(records.empty());
            ASSERT_EQ(FileOutcome::Done, connected.workflow.RestoreRecord(records.front().id))
                << connected.workflow.Files().LastFileProblem();
            EXPECT_EQ(ApplyOutcome::NoChanges, connected.workflow.ApplyFlow());
            EXPECT_TRUE(router.commands.empty());
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// A router that answers a read with an error text instead of its settings: the user is told which
// settings could not be read, the page does not keep the previous router's values, and nothing of that
// area is written until it has been read.
TEST(SafeWriteTest, SettingsTheRouterDidNotTellAreNeitherShownNorWritten) {
    EmulatedLine first(kTwoPortModel);
    Program program(first);
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect(true));
    const std::vector<std::string> firstCodec = program.workflow.Pages().Codec().CodecFields(true);

    EmulatedLine second(kOnePortModel);
    second.router.setup.faults.errorIn = {"voip rtp codec"};
    second.Attach(program.transport);
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect(false));
    EXPECT_EQ(std::vector<std::string>{"These settings could not be read from the router:\nCodec, RTP and DTMF"},
              program.port.MessageTexts());
    EXPECT_TRUE(program.workflow.Unread().codec);
    EXPECT_FALSE(program.workflow.Unread().sip);
    EXPECT_NE(firstCodec, program.workflow.Pages().Codec().CodecFields(true));

    program.port.messages.shown.clear();
    EXPECT_EQ(ApplyOutcome::NoChanges, program.workflow.ApplyFlow());
    program.workflow.Pages().Codec().SetPayloadType("120");
    second.commands.clear();
    EXPECT_EQ(ApplyOutcome::Declined, program.workflow.ApplyFlow());
    EXPECT_TRUE(second.commands.empty());
    EXPECT_EQ("These settings could not be read from the router:\nCodec, RTP and DTMF",
              program.port.MessageTexts().back());
}

// Choosing another router, a rejected password and Cancel: the window stays on the router it showed,
// with that router's password and pages.
TEST(SafeWriteTest, CancelledSwitchReturnsToTheRouterShownBefore) {
    EmulatedLine router(kTwoPortModel);
    Program program(router);
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect(true));
    const RouterStrip strip = program.workflow.Connected().Strip();
    const std::vector<std::string> sip = program.workflow.Pages().Sip().SipFields();

    program.port.selections.push_back(Choose(false));
    program.port.passwords = {std::optional<std::string>("wrong"), std::nullopt};
    EXPECT_EQ(ConnectOutcome::Cancelled, program.workflow.ConnectSequence());
    EXPECT_EQ(strip, program.workflow.Connected().Strip());
    EXPECT_EQ(strip, program.port.strips.back());
    EXPECT_EQ("admin", program.workflow.Connected().router.password);
    EXPECT_TRUE(program.workflow.Pages().Sip().IsTwoPort());
    EXPECT_EQ(sip, program.workflow.Pages().Sip().SipFields());
    EXPECT_FALSE(program.workflow.Connected().skipMark);
    EXPECT_FALSE(program.workflow.Refresh().Blocked());

}

}  // namespace
}  // namespace dezadav::testing
