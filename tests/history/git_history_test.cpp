#include "history/git_history.h"

#include "history/last_records.h"

#include <git2.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace dezadav;
namespace fs = std::filesystem;

class GitHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("dezadav_history_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::unique_ptr<GitHistory> OpenHistory(const fs::path& folder, std::string* problem) {
        return GitHistory::Open(folder.string(), "dezadav 1.0", problem);
    }

    fs::path m_root;
    const HistoryRouter m_router{"00-11-22-33-44-55", "127.0.0.2", "VX-2"};
};

TEST_F(GitHistoryTest, RecordsAreListedNewestFirstPerRouterAndReadBackByteForByte) {
    std::string problem;
    auto history = OpenHistory(m_root / "history", &problem);
    ASSERT_TRUE(history) << problem;
    EXPECT_EQ(fs::status(m_root / "history").permissions() & fs::perms::all, fs::perms::owner_all);

    const std::string first = ";LIST\r\n1,5551234\r\n;END\r\n";
    const std::string second = ";LIST\r\n1,5559999\r\n;END\r\n";
    const HistoryRouter other{"", "127.0.0.3", "VX-1"};
    EXPECT_TRUE(history->Record(m_router, HistoryCause::Fetch, first, true).recorded);
    // The same settings again: only a record that asks for it is made.
    EXPECT_FALSE(history->Record(m_router, HistoryCause::Fetch, first, true).recorded);
    EXPECT_TRUE(history->Record(m_router, HistoryCause::BeforeApply, first, false).recorded);
    EXPECT_TRUE(history->Record(other, HistoryCause::Backup, second, true).recorded);
    const HistoryOutcome after = history->Record(m_router, HistoryCause::AfterApply, second, true);
    ASSERT_TRUE(after.recorded);

    std::optional<std::string> listProblem;
    const std::vector<HistoryEntry> entries = history->Entries(m_router, &listProblem);
    ASSERT_FALSE(listProblem) << *listProblem;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, after.id);
    EXPECT_EQ(entries[0].cause, HistoryCause::AfterApply);
    EXPECT_EQ(entries[1].cause, HistoryCause::BeforeApply);
    EXPECT_EQ(entries[2].cause, HistoryCause::Fetch);
    EXPECT_EQ(entries[2].model, "VX-2");
    EXPECT_EQ(history->Entries(other, &listProblem).size(), 1u);

    EXPECT_EQ(history->SettingsAt(m_router, entries[0].id, &listProblem), second);
    EXPECT_EQ(history->SettingsAt(m_router, entries[2].id.substr(0, 10), &listProblem), first);
    // Another router's record, an unknown one and anything that is not a commit name are refused.
    const std::string otherId = history->Entries(other, &listProblem).front().id;
    for (const std::string& id : {otherId, std::string(40, 'f'), std::string("HEAD~1"), std::string()}) {
        listProblem.reset();
        EXPECT_FALSE(history->SettingsAt(m_router, id, &listProblem)) << id;
        EXPECT_TRUE(listProblem) << id;
    }

    // Opened again, the history is the same one.
    history.reset();
    history = OpenHistory(m_root / "history", &problem);
    ASSERT_TRUE(history) << problem;
    EXPECT_EQ(history->Entries(m_router, &listProblem).size(), 3u);

    // Objects lost while the history is open: the listing says so instead of showing fewer records.
    fs::rename(m_root / "history" / "objects", m_root / "objects.away");
    listProblem.reset();
    history->Entries(m_router, &listProblem);
    EXPECT_TRUE(listProblem);
}

// A fetch of unchanged settings is told "nothing to record" from the last-records list without git;
// the list may only say so while the commit it was written for is still the newest.
TEST_F(GitHistoryTest, TheLastRecordsListTellsUnchangedSettingsOnlyForTheNewestCommit) {
    EXPECT_EQ(GitBlobId("hello"), "b6fc4c620b67d95f953a5c1c1230aaab5db5a1b0");  // git hash-object
    EXPECT_EQ(GitBlobId(""), "e69de29bb2d1d6434b8b29ae775ad8c2e48c5391");
    std::string problem;
    const fs::path folder = m_root / "history";
    auto history = OpenHistory(folder, &problem);
    ASSERT_TRUE(history) << problem;
    const HistoryRouter other{"66-77-88-99-AA-BB", "127.0.0.3", "VX-1"};
    EXPECT_FALSE(LastRecordHolds(folder.string(), m_router.FileName(), "a\r\n"));
    ASSERT_TRUE(history->Record(m_router, HistoryCause::Fetch, "a\r\n", true).recorded);
    EXPECT_TRUE(LastRecordHolds(folder.string(), m_router.FileName(), "a\r\n"));
    EXPECT_FALSE(LastRecordHolds(folder.string(), m_router.FileName(), "b\r\n"));
    ASSERT_TRUE(history->Record(other, HistoryCause::Fetch, "o\r\n", true).recorded);
    EXPECT_TRUE(LastRecordHolds(folder.string(), m_router.FileName(), "a\r\n"));
    EXPECT_TRUE(LastRecordHolds(folder.string(), other.FileName(), "o\r\n"));

    // Another writer moved the branch without writing the list: the list is of an older commit.
    const fs::path list = folder / kLastRecordsFileName;
    const fs::path stale = m_root / "stale";
    fs::copy_file(list, stale);
    ASSERT_TRUE(history->Record(m_router, HistoryCause::Fetch, "b\r\n", true).recorded);
    fs::copy_file(stale, list, fs::copy_options::overwrite_existing);
    EXPECT_FALSE(LastRecordHolds(folder.string(), m_router.FileName(), "a\r\n"));
    EXPECT_FALSE(LastRecordHolds(folder.string(), m_router.FileName(), "b\r\n"));
}

TEST_F(GitHistoryTest, AFolderThatIsNotAHistoryIsReportedAndLeftAsItIs) {
    // Other files, a user's own repository with a work tree, a repository whose objects are gone.
    fs::create_directories(m_root / "files");
    std::ofstream(m_root / "files" / "notes.txt") << "mine\n";
    std::string problem;
    ASSERT_TRUE(OpenHistory(m_root / "damaged", &problem));
    fs::remove_all(m_root / "damaged" / "objects");
    fs::create_directories(m_root / "damaged" / "objects");
    fs::create_directories(m_root / "work");
    std::ofstream(m_root / "work" / "a.csv") << "x\n";
    git_libgit2_init();
    git_repository* work = nullptr;
    ASSERT_EQ(git_repository_init(&work, (m_root / "work").c_str(), 0), 0);
    git_repository_free(work);

    for (const char* name : {"files", "damaged", "work"}) {
        std::vector<fs::path> before;
        for (const auto& entry : fs::recursive_directory_iterator(m_root / name)) before.push_back(entry.path());
        problem.clear();
        EXPECT_FALSE(OpenHistory(m_root / name, &problem)) << name;
        EXPECT_NE(problem.find((m_root / name).string()), std::string::npos) << problem;
        std::vector<fs::path> after;
        for (const auto& entry : fs::recursive_directory_iterator(m_root / name)) after.push_back(entry.path());
        EXPECT_EQ(before, after) << name;
    }
}

// A backup run in a folder that is a git work tree is committed there, on top of what the user has;
// a run that changed nothing adds no commit.
TEST_F(GitHistoryTest, ABackupFolderThatIsAWorkTreeGetsTheRunCommitted) {
    fs::create_directories(m_root / "work");
    git_libgit2_init();
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_init(&repo, (m_root / "work").c_str(), 0), 0);
    EXPECT_TRUE(IsGitWorkTree((m_root / "work").string()));
    EXPECT_FALSE(IsGitWorkTree(m_root.string()));
    std::string problem;
    for (const char* content : {"first\n", "second\n", "second\n"}) {
        std::ofstream(m_root / "work" / "00-11-22-33-44-55.csv") << content;
        ASSERT_TRUE(CommitFolderFiles((m_root / "work").string(), {"00-11-22-33-44-55.csv"},
                                      std::string("backup: 1 router, 1 ok, 0 failed\n"), &problem))
            << problem;
    }
    git_object* head = nullptr;
    ASSERT_EQ(git_revparse_single(&head, repo, "HEAD~1"), 0);
    git_object_free(head);
    EXPECT_NE(git_revparse_single(&head, repo, "HEAD~2"), 0);
    ASSERT_EQ(git_revparse_single(&head, repo, "HEAD:00-11-22-33-44-55.csv"), 0);
    const auto* blob = reinterpret_cast<git_blob*>(head);
    EXPECT_EQ(std::string(static_cast<const char*>(git_blob_rawcontent(blob)), git_blob_rawsize(blob)), "second\n");
    git_object_free(head);
    git_repository_free(repo);
    EXPECT_FALSE(CommitFolderFiles(m_root.string(), {"x"}, "m\n", &problem));
}

TEST_F(GitHistoryTest, WritersInSeveralThreadsAndOnSeveralHandlesLoseNoRecord) {
    std::string problem;
    auto first = OpenHistory(m_root / "history", &problem);
    auto second = OpenHistory(m_root / "history", &problem);
    ASSERT_TRUE(first && second) << problem;
    constexpr int kThreads = 4;
    constexpr int kRecords = 8;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            GitHistory& history = t % 2 == 0 ? *first : *second;
            const HistoryRouter router{"", "127.0.0." + std::to_string(10 + t), "VX-2"};
            for (int i = 0; i < kRecords; ++i) {
                EXPECT_TRUE(history.Record(router, HistoryCause::Backup, std::to_string(i), true).recorded);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::optional<std::string> listProblem;
    for (int t = 0; t < kThreads; ++t) {
        const HistoryRouter router{"", "127.0.0." + std::to_string(10 + t), "VX-2"};
        const auto entries = first->Entries(router, &listProblem);
        ASSERT_EQ(entries.size(), static_cast<std::size_t>(kRecords)) << t;
        EXPECT_EQ(first->SettingsAt(router, entries.front().id, &listProblem), std::to_string(kRecords - 1));
    }
}

}  // namespace
