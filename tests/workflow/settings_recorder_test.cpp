// What the history records of a router is what the router holds: after every apply, whatever the flow
// (connected, after Skip, a value the router refuses, a connection lost part-way, a one-port router),
// the newest record equals what a fresh fetch of the router reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/emulated_program.h"

namespace dezadav::testing {
namespace {

// The records in memory, kept as the history keeps them.
class MemoryHistory : public SettingsHistory {
public:
    struct Kept {
        std::string file;
        HistoryCause cause;
        std::string text;
    };
    std::vector<Kept> kept;

    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view text,
                          bool onlyWhenChanged) override {
        const Kept* last = Newest(router.FileName());
        if (onlyWhenChanged && last != nullptr && last->text == text) return {};
        kept.push_back(Kept{router.FileName(), cause, std::string(text)});
        return HistoryOutcome{true, std::to_string(kept.size()), std::nullopt, std::nullopt};
    }
    std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>*) override {
        std::vector<HistoryEntry> entries;
        for (std::size_t i = kept.size(); i > 0; --i) {
            if (kept[i - 1].file == router.FileName()) entries.push_back(HistoryEntry{std::to_string(i), 0, kept[i - 1].cause, ""});
        }
        return entries;
    }
    std::optional<std::string> SettingsAt(const HistoryRouter&, const std::string& id,
                                          std::optional<std::string>* problem) override {
        const std::size_t n = std::stoul(id);
        if (n == 0 || n > kept.size()) {
            *problem = "no record " + id;
            return std::nullopt;
        }
        return kept[n - 1].text;
    }
    const Kept* Newest(const std::string& file) const {
        for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
            if (it->file == file) return &*it;
        }
        return nullptr;
    }
};

// Edits as a user makes them on the pages: entries set or cleared, SIP and codec values changed.
void EditPages(RouterWorkflow& workflow, bool twoPort, std::mt19937& random) {
    for (int edits = Pick(random, 0, 3); edits > 0; --edits) {
        const int position = Pick(random, 0, kDialPlanEntryCount - 1);
        if (Pick(random, 0, 3) == 0) {
            workflow.Pages().DialPlan().ClearEntry(position);
            continue;
        }
        DialPlanEntry entry;
        entry.phoneNumber = Word(random, "0123456789", 8);
        entry.name = "Name";
        const std::string user = Pick(random, 0, 1) ? Word(random, "abcd", 5) : "";
        entry.sipAddress = (Pick(random, 0, 1) ? user + "@" : "") + Word(random, "efgh.", 10);
        entry.loopThrough = kLoopThroughChoices[static_cast<std::size_t>(Pick(random, 0, 2))];
        entry.backupNumber = Pick(random, 0, 1) ? Word(random, "0123456789", 6) : "";
        entry.statusMark = Pick(random, 0, 1) ? "V" : "-";
        workflow.Pages().DialPlan().SetEntry(position, entry);
    }
    SipSettings& sip = workflow.Pages().Sip();
    if (Pick(random, 0, 1)) sip.SetSipPort(std::to_string(Pick(random, 1, 65535)));
    if (Pick(random, 0, 1)) sip.SetPort1UserName(Word(random, "abc123", 8));
    if (Pick(random, 0, 1)) sip.SetPort1Password(Word(random, "xyz789", 8));
    if (Pick(random, 0, 1)) sip.Port1Expiry().Select(Pick(random, 0, sip.Port1Expiry().Count() - 1));
    if (twoPort && Pick(random, 0, 1)) sip.SetPort2UserName(Word(random, "def", 6));
    CodecSettings& codec = workflow.Pages().Codec();
    if (Pick(random, 0, 1)) codec.SetPayloadType(std::to_string(Pick(random, 96, 127)));
    if (Pick(random, 0, 1)) codec.SetDtmfMode(Pick(random, 0, 2));
    if (Pick(random, 0, 1)) codec.PacketSize().Select(Pick(random, 0, codec.PacketSize().Count() - 1));
}

// Commands a fault may hit, by their start: the first command so named is refused or lost.
constexpr const char* kFaultCommands[] = {"voip dial_plan set", "voip dial_plan del", "voip sip port",
                                          "voip sip endpt1 name", "voip sip endpt1 pass", "voip sip endpt1 expire",
                                          "voip rtp codec size", "voip rtp dtmf payloadtype", "voip rtp port end"};

// The record a fresh run of the program takes of what the router holds now.
std::string FreshRecord(EmulatedLine& router, bool twoPort) {
    MemoryHistory fresh;
    Program program(router);
    program.workflow.Recorder().SetHistory(&fresh, HistoryCause::Fetch);
    EXPECT_EQ(ConnectOutcome::Connected, program.Connect(twoPort));
    return fresh.kept.empty() ? std::string() : fresh.kept.back().text;
}

TEST(SettingsRecorderTest, AfterEveryApplyTheNewestRecordIsWhatAFreshFetchReads) {
    int applied = 0;
    int failed = 0;
    for (unsigned seed = 1; seed <= 48; ++seed) {
        const bool twoPort = seed % 2 == 0;
        std::mt19937 random(seed * 7919u);
        const bool afterSkip = Pick(random, 0, 2) == 0;
        SCOPED_TRACE(std::string(twoPort ? "two-port" : "one-port") + (afterSkip ? " after Skip" : "") + " seed " +
                     std::to_string(seed));
        EmulatedLine router(twoPort ? kTwoPortModel : kOnePortModel);
        router.router.state = RandomRouter(twoPort, random);
        MemoryHistory history;
        Program program(router);
        program.workflow.Recorder().SetHistory(&history, HistoryCause::Fetch);
        if (afterSkip) {
            ASSERT_EQ(ConnectOutcome::Skipped, program.Skip());
            program.port.selections.push_back(Choose(twoPort));
            program.port.passwords.push_back("admin");
        } else {
            ASSERT_EQ(ConnectOutcome::Connected, program.Connect(twoPort));
        }
        for (int step = 0; step < 3; ++step) {
            EditPages(program.workflow, twoPort, random);
            auto& faults = router.router.setup.faults;
            const std::string hit = kFaultCommands[Pick(random, 0, static_cast<int>(std::size(kFaultCommands)) - 1)];
            switch (Pick(random, 0, 3)) {
                case 1:
                    faults.errorIn = {hit};
                    break;
                case 2:
                    faults.dropIn = {hit};
                    break;
                default:
                    break;
            }
            const ApplyOutcome outcome = program.workflow.ApplyFlow();
            faults.errorIn.clear();
            faults.dropIn.clear();
            applied += outcome == ApplyOutcome::Applied;
            failed += outcome == ApplyOutcome::Failed;
            const MemoryHistory::Kept* newest = history.Newest(program.workflow.Connected().HistoryKey().FileName());
            if (newest == nullptr) continue;  // after Skip, nothing sent and nothing read to record
            EXPECT_EQ(FreshRecord(router, twoPort), newest->text) << "step " << step;
            if (::testing::Test::HasFailure()) return;
        }
    }
    // The flows went through both ends.
    EXPECT_GT(applied, 20);
    EXPECT_GT(failed, 5);
}

}  // namespace
}  // namespace dezadav::testing
