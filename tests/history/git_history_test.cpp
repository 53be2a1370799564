#include "history/git_history.h"
#include "history/git_support.h"

#include "history/last_records.h"

#include <git2.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace dezadav;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

    // A clone of a history with a work tree holds the marker, and is still no history to write into.
    ASSERT_TRUE(OpenHistory(m_root / "origin", &problem));
    fs::create_directories(m_root / "clone");
    fs::copy(m_root / "origin", m_root / "clone" / ".git", fs::copy_options::recursive);
    std::string config = ReadText(m_root / "clone" / ".git" / "config");
    config.replace(config.find("bare = true"), 11, "bare = false");
    std::ofstream(m_root / "clone" / ".git" / "config", std::ios::trunc) << config;
    // A folder of another user (only root can make one here).
    fs::create_directories(m_root / "theirs");
    const bool asRoot = ::geteuid() == 0 && ::chown((m_root / "theirs").c_str(), 65534, 65534) == 0;

    for (const char* name : {"files", "damaged", "work", "clone", "clone/.git", "theirs"}) {
        if (std::string(name) == "theirs" && !asRoot) continue;
        std::vector<fs::path> before;
        for (const auto& entry : fs::recursive_directory_iterator(m_root / name)) before.push_back(entry.path());
        problem.clear();
        EXPECT_FALSE(OpenHistory(m_root / name, &problem)) << name;
        EXPECT_NE(problem.find((m_root / name).string()), std::string::npos) << problem;
        std::vector<fs::path> after;
        for (const auto& entry : fs::recursive_directory_iterator(m_root / name)) after.push_back(entry.path());
        EXPECT_EQ(before, after) << name;
    }
    EXPECT_NE(problem.find(asRoot ? "belongs to another user" : "git work tree"), std::string::npos) << problem;

    // A history other users can open still opens, with the command that closes it.
    fs::permissions(m_root / "origin", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::replace);
    std::string warning;
    EXPECT_TRUE(GitHistory::Open((m_root / "origin").string(), "dezadav 1.0", &problem, &warning));
    EXPECT_NE(warning.find("chmod 700 " + (m_root / "origin").string()), std::string::npos) << warning;
}

// A backup run in a folder that is a git work tree is committed there, on top of what the user has:
// only the run's files, which no other user can read, and no commit for a run that changed nothing.
TEST_F(GitHistoryTest, ABackupFolderThatIsAWorkTreeGetsTheRunsFilesCommittedAndNothingElse) {
    const fs::path work = m_root / "work";
    fs::create_directories(work);
    git_libgit2_init();
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_init(&repo, work.c_str(), 0), 0);
    EXPECT_TRUE(IsGitWorkTree(work.string()));
    EXPECT_FALSE(IsGitWorkTree(m_root.string()));
    std::string problem;
    const std::string file = "00-11-22-33-44-55.csv";
    std::ofstream(work / file) << "first\n";
    fs::permissions(work / file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    // Objects other users can open would hand out the SIP passwords of every backup.
    fs::permissions(work / ".git" / "objects", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::replace);
    EXPECT_FALSE(CommitFolderFiles(work.string(), {file}, "backup\n", "dezadav-cli 9", &problem));
    EXPECT_NE(problem.find("chmod -R go= " + (work / ".git" / "objects").string()), std::string::npos) << problem;
    fs::permissions(work / ".git" / "objects", fs::perms::owner_all, fs::perm_options::replace);

    // What the user staged stays staged and out of the backup's commits.
    std::ofstream(work / "notes.txt") << "mine\n";
    git_index* index = nullptr;
    ASSERT_EQ(git_repository_index(&index, repo), 0);
    ASSERT_EQ(git_index_add_bypath(index, "notes.txt"), 0);
    ASSERT_EQ(git_index_write(index), 0);
    bool committed = false;
    for (const char* content : {"first\n", "second\n", "second\n"}) {
        std::ofstream(work / file) << content;
        ASSERT_TRUE(CommitFolderFiles(work.string(), {file}, "backup: 1 router, 1 ok, 0 failed", "dezadav-cli 9",
                                      &problem, &committed))
            << problem;
    }
    EXPECT_FALSE(committed);  // the third run changed nothing
    git_object* object = nullptr;
    ASSERT_EQ(git_revparse_single(&object, repo, "HEAD~1"), 0);
    git_object_free(object);
    EXPECT_NE(git_revparse_single(&object, repo, "HEAD~2"), 0);
    EXPECT_NE(git_revparse_single(&object, repo, "HEAD:notes.txt"), 0);
    ASSERT_EQ(git_index_read(index, true), 0);
    EXPECT_NE(git_index_get_bypath(index, "notes.txt", 0), nullptr);
    git_index_free(index);
    const std::string revision = "HEAD:" + file;
    ASSERT_EQ(git_revparse_single(&object, repo, revision.c_str()), 0);
    const auto* blob = reinterpret_cast<git_blob*>(object);
    EXPECT_EQ(std::string(static_cast<const char*>(git_blob_rawcontent(blob)), git_blob_rawsize(blob)), "second\n");
    const std::string hex = git_oid_tostr_s(git_object_id(object));
    git_object_free(object);
    EXPECT_EQ(fs::status(work / ".git" / "objects" / hex.substr(0, 2) / hex.substr(2)).permissions() & fs::perms::all,
              fs::perms::owner_read);
    // Who made the commit, where, and with which program.
    ASSERT_EQ(git_revparse_single(&object, repo, "HEAD"), 0);
    const auto* commit = reinterpret_cast<git_commit*>(object);
    const std::string message = git_commit_message(commit);
    EXPECT_NE(std::string(git_commit_author(commit)->name).find("(dezadav-cli 9)"), std::string::npos);
    for (const char* line : {"Program: dezadav-cli 9", "User: ", "Host: "})
        EXPECT_NE(message.find(line), std::string::npos) << message;
    git_object_free(object);
    git_repository_free(repo);
    EXPECT_FALSE(CommitFolderFiles(m_root.string(), {"x"}, "m\n", "dezadav-cli 9", &problem));
}

// A record counts as written only once it is read back from the disk.
TEST_F(GitHistoryTest, ARecordWhoseObjectsAreNotOnDiskIsNotWritten) {
    std::string problem;
    auto history = OpenHistory(m_root / "history", &problem);
    ASSERT_TRUE(history) << problem;
    const HistoryOutcome made = history->Record(m_router, HistoryCause::Fetch, "a\n", false);
    ASSERT_TRUE(made.recorded) << made.problem.value_or("");
    git_oid id;
    ASSERT_EQ(git_oid_fromstr(&id, made.id.c_str()), 0);
    EXPECT_FALSE(git::ReadBack((m_root / "history").string(), id, {}));
    fs::remove(git::LooseObjectPath((m_root / "history").string(), id));
    const std::optional<std::string> lost = git::ReadBack((m_root / "history").string(), id, {});
    ASSERT_TRUE(lost);
    EXPECT_NE(lost->find(made.id), std::string::npos) << *lost;
}

// A lock left by a run that ended is removed and named; a run writing meanwhile is waited for.
TEST_F(GitHistoryTest, AStaleGitLockIsRemovedAndALiveWriterWaitedFor) {
    std::string problem;
    const fs::path folder = m_root / "history";
    ASSERT_TRUE(OpenHistory(folder, &problem)) << problem;
    std::ofstream(folder / "refs" / "heads" / "main.lock");
    std::string warning;
    auto history = GitHistory::Open(folder.string(), "dezadav 1.0", &problem, &warning);
    ASSERT_TRUE(history) << problem;
    EXPECT_NE(warning.find((folder / "refs" / "heads" / "main.lock").string()), std::string::npos) << warning;
    std::ofstream(folder / "refs" / "heads" / "main.lock");
    const HistoryOutcome after = history->Record(m_router, HistoryCause::Fetch, "a\n", false);
    EXPECT_TRUE(after.recorded) << after.problem.value_or("");
    EXPECT_NE(after.notice.value_or("").find("main.lock"), std::string::npos);

    const int held = ::open((folder / "dezadav.lock").c_str(), O_RDWR);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::thread writer([&] { EXPECT_TRUE(history->Record(m_router, HistoryCause::Fetch, "b\n", false).recorded); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::close(held);
    writer.join();
    std::optional<std::string> listProblem;
    EXPECT_EQ(history->Entries(m_router, &listProblem).size(), 2u);
}

// Two first runs into the same new folder: both get the one history.
TEST_F(GitHistoryTest, FirstRunsAtOnceBothOpenTheSameNewHistory) {
    std::vector<std::unique_ptr<GitHistory>> opened(4);
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < opened.size(); ++i) {
        runs.emplace_back([&, i] {
            std::string problem;
            opened[i] = OpenHistory(m_root / "new" / "history", &problem);
            EXPECT_TRUE(opened[i]) << problem;
        });
    }
    for (std::thread& run : runs) run.join();
    for (const auto& history : opened) ASSERT_TRUE(history);
    EXPECT_TRUE(opened[0]->Record(m_router, HistoryCause::Fetch, "a\n", false).recorded);
    std::optional<std::string> listProblem;
    EXPECT_EQ(opened[3]->Entries(m_router, &listProblem).size(), 1u);
    std::size_t folders = 0;
    for (const auto& entry : fs::directory_iterator(m_root / "new")) folders += entry.is_directory();
    EXPECT_EQ(folders, 1u);  // no temporary folder left behind
}

// One router, one history: records kept under its address join its MAC's history once the MAC is
// known, and the router's records are found by its MAC or by its address alone.
TEST_F(GitHistoryTest, RecordsUnderAnAddressJoinTheMacsHistory) {
    std::string problem;
    auto history = OpenHistory(m_root / "history", &problem);
    ASSERT_TRUE(history) << problem;
    const HistoryRouter byAddress{"", m_router.ipAddress, "VX-2"};
    const HistoryOutcome early = history->Record(byAddress, HistoryCause::BeforeApply, "a\n", false);
    ASSERT_TRUE(history->Record(byAddress, HistoryCause::AfterApply, "b\n", false).recorded);
    ASSERT_TRUE(history->Record(m_router, HistoryCause::Fetch, "b\n", true).recorded);
    std::optional<std::string> listProblem;
    for (const HistoryRouter& key : {m_router, HistoryRouter{m_router.macAddress, "", ""}, byAddress}) {
        const std::vector<HistoryEntry> entries = history->Entries(key, &listProblem);
        ASSERT_FALSE(listProblem) << *listProblem;
        ASSERT_EQ(entries.size(), 3u) << key.macAddress << key.ipAddress;
        EXPECT_EQ(entries[2].id, early.id);
        EXPECT_EQ(BeforeLastApplyId(entries), early.id);
        EXPECT_EQ(history->SettingsAt(key, early.id, &listProblem), "a\n");
    }
    // The join is one commit of its own, and the address's file is gone from the tree.
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_open_bare(&repo, (m_root / "history").c_str()), 0);
    git_object* object = nullptr;
    ASSERT_EQ(git_revparse_single(&object, repo, "HEAD~1"), 0);
    EXPECT_TRUE(std::string(git_commit_message(reinterpret_cast<git_commit*>(object))).starts_with("join: "));
    git_object_free(object);
    EXPECT_NE(git_revparse_single(&object, repo, ("HEAD:" + m_router.ipAddress + ".csv").c_str()), 0);
    git_repository_free(repo);
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
