// What the workflow does so that no apply writes what the user did not mean: a restore from a
// router's own file changes nothing, settings the router did not tell are never written, and a
// cancelled switch to another router leaves the window on the one before. The router is the
// emulator's command line in simulated time, so routers of any state can be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lang/builtin_language_source.h"
#include "router_state.h"
#include "history/git_history.h"
#include "settings/save_file_writer.h"
#include "support/emulated_line.h"
#include "support/scripted_user_port.h"
#include "support/temp_files.h"
#include "workflow/router_workflow.h"

namespace dezadav::testing {
namespace {

constexpr const char* kTwoPortModel = "DZV-R5730K";
constexpr const char* kOnePortModel = "DZV-R5830K";
constexpr const char* kNoChanges = "There are no changes to apply.";

RouterSelection Choose(bool twoPort) {
    RouterSelection selection{SelectionOutcome::Ok, {}};
    selection.router.modelName = twoPort ? kTwoPortModel : kOnePortModel;
    selection.router.ipAddress = "127.0.0.2";
    selection.router.macAddress = "00-11-22-33-44-02";
    return selection;
}

// One run of the program (workflow, session, port) against a router that outlives it.
LanguageTable English() {
    LanguageTable language(BuiltinLanguageSource());
    language.LoadLanguage(0);
    return language;
}

struct Program {
    explicit Program(EmulatedLine& router) { router.Attach(transport); }
    ConnectOutcome Connect(bool twoPort, const std::string& password = "admin") {
        port.selections.push_back(Choose(twoPort));
        port.passwords.push_back(password);
        return workflow.ConnectSequence();
    }
    ConnectOutcome Skip() {
        port.selections.push_back(RouterSelection{SelectionOutcome::Skip, {}});
        return workflow.ConnectSequence();
    }

    ManualClock clock;
    ScriptedTransport transport{clock};
    LanguageTable language = English();
    ScriptedUserPort port;
    RouterSession session{transport, clock, language, port.messages};
    ManualTickTimer timer;
    SaveFileWriter files;
    RouterWorkflow workflow{language, port, session, timer, files};
};

int Pick(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}
std::string Word(std::mt19937& random, const char* letters, int maxLength) {
    const std::string alphabet(letters);
    std::string word(static_cast<std::size_t>(Pick(random, 1, maxLength)), ' ');
    for (char& c : word) c = alphabet[static_cast<std::size_t>(Pick(random, 0, static_cast<int>(alphabet.size()) - 1))];
    return word;
}

// A router of the form in a state of its own, with what real routers print now and then: registrations
// and codecs out of their range, expiries that are in no list, an empty registrar.
routersim::RouterState RandomRouter(bool twoPort, std::mt19937& random) {
    routersim::RouterState state = routersim::EmptyRouterState(twoPort);
    for (int entries = Pick(random, 0, 12); entries > 0; --entries) {
        routersim::DialPlanEntry& entry = state.dialPlan[static_cast<std::size_t>(Pick(random, 0, 59))];
        entry.phone = Word(random, "0123456789", 10);
        entry.user = Pick(random, 0, 2) ? Word(random, "abcdefgh;,LIST", 8) : "";
        entry.domain = Word(random, "abcdefghij.0123", 16);
        entry.enabled = Pick(random, 0, 1) == 1;
        if (!twoPort) {
            entry.loop = Pick(random, 0, 2);
            entry.backup = Pick(random, 0, 1) ? Word(random, "0123456789", 8) : "";
        }
    }
    state.sipPort = std::to_string(Pick(random, 1, 65535));
    state.registrar = Pick(random, 0, 3) ? Word(random, "abcdefgh.", 20) : "";
    const auto& expiries = routersim::ExpirySecondsTable();
    for (routersim::SipAccount& account : state.accounts) {
        account.registration = Pick(random, 0, 5) == 0 ? Pick(random, 4, 9) : Pick(random, 0, twoPort ? 3 : 1);
        account.name = Word(random, "abc123", 12);
        // Values may hold what a settings file uses: commas, semicolons, its markers' letters.
        account.password = Pick(random, 0, 3) ? Word(random, "xyz789!;,", 12) : "x;LIST..5060";
        account.expirySeconds = Pick(random, 0, 5) == 0 ? static_cast<uint32_t>(Pick(random, 1, 100000))
                                                        : expiries[static_cast<std::size_t>(Pick(random, 0, 9))];
    }
    state.codec = Pick(random, 0, 5) == 0 ? Pick(random, 0, 6) : Pick(random, 0, state.MaxCodec());
    state.packetSize = Pick(random, 0, 5);
    state.dtmfMode = Pick(random, 0, 2);
    state.payloadType = std::to_string(Pick(random, 96, 127));
    const int start = Pick(random, 1024, 60000);
    state.rtpStart = std::to_string(start);
    state.rtpEnd = std::to_string(Pick(random, start, 65535));
    return state;
}

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
                std::ofstream(path, std::ios::binary) << saving.workflow.SettingsFileText();
            }

            Program afterSkip(router);
            ASSERT_EQ(ConnectOutcome::Skipped, afterSkip.Skip());
            ASSERT_EQ(FileOutcome::Done, afterSkip.workflow.LoadSettingsFile(path)) << afterSkip.workflow.LastFileProblem();
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
            connected.workflow.SetHistory(history.get());
            ASSERT_EQ(ConnectOutcome::Connected, connected.Connect(twoPort));
            ASSERT_EQ(FileOutcome::Done, connected.workflow.LoadSettingsFile(path));
            router.commands.clear();
            EXPECT_EQ(ApplyOutcome::NoChanges, connected.workflow.ApplyFlow());
            EXPECT_EQ(std::vector<std::string>{kNoChanges}, connected.port.MessageTexts());
            EXPECT_TRUE(router.commands.empty());

            // The fetch's record, restored, is what the router holds as well.
            std::optional<std::string> listed;
            const auto records = connected.workflow.HistoryRecords(&listed);
            ASSERT_FALSE(records.empty());
            ASSERT_EQ(FileOutcome::Done, connected.workflow.RestoreRecord(records.front().id))
                << connected.workflow.LastFileProblem();
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
    const std::vector<std::string> firstCodec = program.workflow.Codec().CodecFields(true);

    EmulatedLine second(kOnePortModel);
    second.router.setup.faults.errorIn = {"voip rtp codec"};
    second.Attach(program.transport);
    ASSERT_EQ(ConnectOutcome::Connected, program.Connect(false));
    EXPECT_EQ(std::vector<std::string>{"These settings could not be read from the router:\nCodec, RTP and DTMF"},
              program.port.MessageTexts());
    EXPECT_TRUE(program.workflow.Unread().codec);
    EXPECT_FALSE(program.workflow.Unread().sip);
    EXPECT_NE(firstCodec, program.workflow.Codec().CodecFields(true));

    program.port.messages.shown.clear();
    EXPECT_EQ(ApplyOutcome::NoChanges, program.workflow.ApplyFlow());
    program.workflow.Codec().SetPayloadType("120");
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
    const RouterStrip strip = program.workflow.Strip();
    const std::vector<std::string> sip = program.workflow.Sip().SipFields();

    program.port.selections.push_back(Choose(false));
    program.port.passwords = {std::optional<std::string>("wrong"), std::nullopt};
    EXPECT_EQ(ConnectOutcome::Cancelled, program.workflow.ConnectSequence());
    EXPECT_EQ(strip, program.workflow.Strip());
    EXPECT_EQ(strip, program.port.strips.back());
    EXPECT_EQ("admin", program.workflow.CurrentRouter().password);
    EXPECT_TRUE(program.workflow.Sip().IsTwoPort());
    EXPECT_EQ(sip, program.workflow.Sip().SipFields());
    EXPECT_FALSE(program.workflow.SkipMark());
    EXPECT_FALSE(program.workflow.RefreshBlocked());

}

}  // namespace
}  // namespace dezadav::testing
