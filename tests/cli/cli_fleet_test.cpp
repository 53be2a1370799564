// dezadav-cli backing up and applying to several emulated routers at once, run as a process.
#include <git2.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/cli_process.h"
#include "support/router_commands.h"
#include "support/routersim_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

constexpr const char* kApplyOk = "Settings have been applied to router.";

class CliFleetTest : public ::testing::Test {
protected:
    ~CliFleetTest() override {
        std::error_code ignored;
        for (const auto& dir : m_dirs) std::filesystem::remove_all(dir, ignored);
    }

    CliRun Run(const std::vector<std::string>& args, std::optional<std::string> password = "admin") {
        return RunCliProcess(DEZADAV_CLI_PATH, args, password);
    }
    std::string TempPath(const std::string& name) { return m_temp.Path(name); }
    std::string TempDir(const std::string& name) {
        m_dirs.push_back(m_temp.Path(name));
        return m_dirs.back();
    }
    static std::vector<std::string> Ports(RouterSimProcess& sim) {
        return {"--telnet-port", std::to_string(sim.TelnetPort()), "--discovery-port",
                std::to_string(sim.DiscoveryPort())};
    }
    static std::vector<std::string> With(std::vector<std::string> first,
                                         const std::vector<std::string>& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    }
    // What a single `fetch` of the router writes.
    std::string FetchedAlone(RouterSimProcess& sim, const std::string& ip) {
        const std::string path = TempPath("alone_" + ip + ".csv");
        EXPECT_EQ(Run(With({"fetch", "--router", ip, "--output", path}, Ports(sim))).exitCode, 0);
        return ReadAll(path);
    }

private:
    TempFiles m_temp{"dezadav_fleet_"};
    std::vector<std::string> m_dirs;
};

TEST_F(CliFleetTest, BackupOfTheFoundRoutersHoldsWhatEachFetchWritesAndAnIndex) {
    // Two supported routers of both forms and one the program does not handle.
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R5999X"});
    ASSERT_TRUE(sim.IsRunning());
    const std::string dir = TempDir("found");
    const std::string transcript = TempPath("transcript.log");
    CliRun run = Run(With({"backup", "--into", dir, "--broadcast", sim.DiscoveryAddress(), "--wait", "500",
                           "--transcript", transcript},
                          Ports(sim)));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    // No progress (stderr is no terminal), only the summary.
    EXPECT_EQ(run.err, "3 routers: 2 ok, 1 unsupported model, 0 failed\n");

    std::vector<std::string> index = Lines(ReadAll(dir + "/index.tsv"));
    std::sort(index.begin(), index.end());  // discovery order is arrival order
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(index[0], "00-1D-5A-73-00-02\t127.0.0.2\tDZV-R5730K\t2.6.14\t00-1D-5A-73-00-02.csv\tok");
    EXPECT_EQ(index[1], "00-1D-5A-83-00-03\t127.0.0.3\tDZV-R5830K\t1.9.3\t00-1D-5A-83-00-03.csv\tok");
    EXPECT_EQ(index[2], "02-5A-7F-00-00-04\t127.0.0.4\tDZV-R5999X\t1.0.0\t\tunsupported model");
    EXPECT_TRUE(CommandsOf(sim, "127.0.0.4").empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);  // no file left over

    // The two exchanges ran side by side; each is one whole block of the transcript.
    const std::string record = ReadAll(transcript);
    std::size_t blocks = 0;
    for (std::size_t at = 0; at < record.size(); ++blocks) {
        const std::size_t end = record.find("\n\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string block = record.substr(at, end - at);
        EXPECT_TRUE(block.starts_with("=== ")) << block;
        EXPECT_EQ(block.find("\n=== "), std::string::npos) << block;
        EXPECT_NE(block.rfind("== success"), std::string::npos) << block;
        at = end + 2;
    }
    EXPECT_EQ(blocks, 2u);

    struct stat status {};
    ASSERT_EQ(::stat((dir + "/00-1D-5A-73-00-02.csv").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);  // it holds the SIP passwords
    EXPECT_EQ(ReadAll(dir + "/00-1D-5A-73-00-02.csv"), FetchedAlone(sim, "127.0.0.2"));
    EXPECT_EQ(ReadAll(dir + "/00-1D-5A-83-00-03.csv"), FetchedAlone(sim, "127.0.0.3"));

    // Routers named with their model are asked for their discovery answer while they log in: the files
    // still take the MAC address.
    const std::string named = TempDir("named");
    CliRun byName =
        Run(With({"backup", "--into", named, "--router", "127.0.0.3", "--router", "127.0.0.2", "--model",
                  "DZV-R5730K", "--jobs", "1"},
                 Ports(sim)));
    // The one-port router named as a two-port one has no second SIP account to tell: no file for it.
    EXPECT_EQ(byName.exitCode, 1);
    EXPECT_EQ(Lines(ReadAll(named + "/index.tsv")),
              (std::vector<std::string>{
                  "00-1D-5A-83-00-03\t127.0.0.3\tDZV-R5730K\t\t\tThese settings could not be read from the router: SIP",
                  "00-1D-5A-73-00-02\t127.0.0.2\tDZV-R5730K\t\t00-1D-5A-73-00-02.csv\tok"}));
    EXPECT_FALSE(std::filesystem::exists(named + "/00-1D-5A-83-00-03.csv"));
    EXPECT_EQ(ReadAll(named + "/00-1D-5A-73-00-02.csv"), ReadAll(dir + "/00-1D-5A-73-00-02.csv"));
}

TEST_F(CliFleetTest, FailingRoutersKeepTheirEarlierBackupWhileTheOthersSucceed) {
    // .3 goes silent in the middle of a fetch command, .4 wants a password of its own that the
    // passwords file gives by its MAC address, .5 wants one nobody gives.
    RouterSimProcess sim({"--fault", "127.0.0.3:silent-in=voip sip port", "--router",
                          "127.0.0.4,DZV-R5830K,secret", "--router", "127.0.0.5,DZV-R5730K,other"});
    ASSERT_TRUE(sim.IsRunning());
    const std::string dir = TempDir("failing");
    std::filesystem::create_directories(dir);
    WriteAll(dir + "/00-1D-5A-83-00-03.csv", "earlier good backup of .3");
    WriteAll(dir + "/02-5A-7F-00-00-05.csv", "earlier good backup of .5");
    const std::string passwords = TempPath("passwords");
    WriteAll(passwords, "# per router\n02:5a:7f:00:00:04 secret\n127.0.0.9 unused\n");
    ::chmod(passwords.c_str(), 0600);

    const auto args = With({"backup", "--into", dir, "--passwords", passwords, "--router", "127.0.0.2",
                            "--router", "127.0.0.3", "--router", "127.0.0.4", "--router", "127.0.0.5"},
                           Ports(sim));
    CliRun run = Run(args);
    EXPECT_EQ(run.exitCode, 1);
    std::vector<std::string> errors = Lines(run.err);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "4 routers: 2 ok, 2 failed");
    errors.pop_back();
    std::sort(errors.begin(), errors.end());
    const std::string loginFailed =
        "Failed to login router! (127.0.0.5:" + std::to_string(sim.TelnetPort()) + ")";
    EXPECT_EQ(errors, (std::vector<std::string>{"127.0.0.3\tFailed to get SIP data from router!",
                                                "127.0.0.5\t" + loginFailed}));
    std::vector<std::string> status;
    for (const std::string& line : Lines(ReadAll(dir + "/index.tsv"))) status.push_back(line.substr(18));
    EXPECT_EQ(status,
              (std::vector<std::string>{"127.0.0.2\tDZV-R5730K\t2.6.14\t00-1D-5A-73-00-02.csv\tok",
                                        "127.0.0.3\tDZV-R5830K\t1.9.3\t\tFailed to get SIP data from router!",
                                        "127.0.0.4\tDZV-R5830K\t1.0.0\t02-5A-7F-00-00-04.csv\tok",
                                        "127.0.0.5\tDZV-R5730K\t1.0.0\t\t" + loginFailed}));
    EXPECT_EQ(ReadAll(dir + "/00-1D-5A-83-00-03.csv"), "earlier good backup of .3");
    EXPECT_EQ(ReadAll(dir + "/02-5A-7F-00-00-05.csv"), "earlier good backup of .5");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5);  // no temporary file left

    // A passwords file others may read is refused before any router is contacted.
    sim.ClearCommandLog();
    ::chmod(passwords.c_str(), 0644);
    CliRun exposed = Run(args);
    EXPECT_EQ(exposed.exitCode, 1);
    EXPECT_NE(exposed.err.find("chmod 600"), std::string::npos) << exposed.err;
    EXPECT_TRUE(sim.CommandLog().empty());
}

// A backup that finds no router, or cannot write its folder, says so before anything else happens and
// leaves an earlier backup as it was.
TEST_F(CliFleetTest, BackupWithNothingToDoOrNowhereToWriteLeavesTheFolderAlone) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string dir = TempDir("earlier");
    std::filesystem::create_directories(dir);
    WriteAll(dir + "/index.tsv", "earlier index\n");

    CliRun nobody = Run({"backup", "--into", dir, "--broadcast", "127.0.0.1", "--discovery-port",
                         std::to_string(sim.TelnetPort()), "--wait", "200"});
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_EQ(nobody.err, "dezadav-cli: no router answered the discovery request; nothing was backed up\n");
    EXPECT_EQ(ReadAll(dir + "/index.tsv"), "earlier index\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    const std::string notAFolder = TempPath("plain-file");
    WriteAll(notAFolder, "x");
    sim.ClearCommandLog();
    CliRun nowhere = Run(With({"backup", "--into", notAFolder + "/sub", "--router", "127.0.0.2"}, Ports(sim)));
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.err.find(notAFolder + "/sub"), std::string::npos) << nowhere.err;
    EXPECT_TRUE(sim.CommandLog().empty());
}

TEST_F(CliFleetTest, ARouterGivenByNameThatDoesNotAnswerIsNamedAndCounted) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    // "localhost" is looked up once, to 127.0.0.1, where no emulated router answers.
    CliRun run = Run(
        With({"backup", "--into", TempDir("silent"), "--router", "localhost", "--wait", "300"}, Ports(sim)));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.err), (std::vector<std::string>{"127.0.0.1\tThe router at 127.0.0.1:" +
                                                            std::to_string(sim.DiscoveryPort()) +
                                                            " did not answer the discovery request.",
                                                        "1 router: 0 ok, 1 failed"}));
}

TEST_F(CliFleetTest, ApplyToSeveralRoutersSendsEachItsOwnCommands) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string input = TempPath("plan.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,PSTN,,V\r\n\r\n;LIST\r\n");

    // The loop-through marks the file as one-port: the two-port router takes it only with --force.
    CliRun refused = Run(With({"apply", "--input", input, "--router", "127.0.0.2"}, Ports(sim)));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.starts_with("refused: the file is for a one-port router and this one has two ports"))
        << refused.err;
    EXPECT_TRUE(refused.err.ends_with("--force applies it anyway\n")) << refused.err;
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    CliRun run = Run(With({"apply", "--input", input, "--router", "127.0.0.2", "--router", "127.0.0.3", "--force"},
                          Ports(sim)));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const std::string ip : {"127.0.0.2", "127.0.0.3"}) {
        std::vector<std::string> printed;
        for (const std::string& line : Lines(run.out)) {
            if (line.starts_with(ip + "\t")) printed.push_back(line.substr(ip.size() + 1));
        }
        ASSERT_GE(printed.size(), 2u) << ip;
        EXPECT_EQ(printed.back(), kApplyOk);
        printed.pop_back();
        const std::string set2 = ip == "127.0.0.2" ? "voip dial_plan set 2 222 a 10.0.0.2 1"
                                                   : "voip dial_plan set 2 222 a 10.0.0.2 1 2 \"\"";
        EXPECT_TRUE(std::find(printed.begin(), printed.end(), set2) != printed.end()) << ip;
        const auto received = CommandsOf(sim, ip);
        ASSERT_GE(received.size(), printed.size());
        EXPECT_EQ(
            std::vector<std::string>(received.end() - static_cast<long>(printed.size()), received.end()),
            printed)
            << ip;
    }
}

TEST_F(CliFleetTest, PasswordsByMacServeRoutersGivenByAddressAndNameTheOneWithout) {
    // Without a common password: .4's MAC has a line, .5 has none; the model given spares no router the
    // discovery request that tells its MAC.
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R5830K,secret", "--router", "127.0.0.5,DZV-R5830K,other"});
    ASSERT_TRUE(sim.IsRunning());
    const std::string passwords = TempPath("passwords");
    WriteAll(passwords, "02-5A-7F-00-00-04 secret\n");
    ::chmod(passwords.c_str(), 0600);
    const std::string input = TempPath("plan.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,PSTN,,V\r\n\r\n;LIST\r\n");

    const CliRun run = Run(With({"apply", "--input", input, "--dry-run", "--passwords", passwords, "--model",
                                 "DZV-R5830K", "--router", "127.0.0.4", "--router", "127.0.0.5"},
                                Ports(sim)),
                           std::nullopt);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("127.0.0.4\tDry run: "), std::string::npos) << run.out;
    EXPECT_EQ(Lines(run.err),
              (std::vector<std::string>{"127.0.0.5\tno password for 127.0.0.5 (02-5A-7F-00-00-05): the passwords "
                                        "file has no line for it and no common password is given",
                                        "2 routers: 1 ok, 1 failed"}));
    EXPECT_TRUE(CommandsOf(sim, "127.0.0.5").empty());
    // One router read live by diff finds its password the same way.
    const CliRun diff = Run(With({"diff", input, "router:127.0.0.4", "--passwords", passwords}, Ports(sim)),
                            std::nullopt);
    EXPECT_EQ(diff.exitCode, 1) << diff.err;
}

// What `revision` names in the git work tree `dir`, read with libgit2: a commit's message ("HEAD") or a
// file's content ("HEAD:index.tsv"); empty when it names nothing.
std::string GitObjectText(const std::string& dir, const std::string& revision) {
    git_libgit2_init();
    std::string text;
    git_repository* repo = nullptr;
    git_object* object = nullptr;
    if (git_repository_open(&repo, dir.c_str()) == 0 && git_revparse_single(&object, repo, revision.c_str()) == 0) {
        if (git_object_type(object) == GIT_OBJECT_COMMIT)
            text = git_commit_message(reinterpret_cast<git_commit*>(object));
        if (git_object_type(object) == GIT_OBJECT_BLOB) {
            auto* blob = reinterpret_cast<git_blob*>(object);
            text.assign(static_cast<const char*>(git_blob_rawcontent(blob)), git_blob_rawsize(blob));
        }
    }
    git_object_free(object);
    git_repository_free(repo);
    git_libgit2_shutdown();
    return text;
}

TEST_F(CliFleetTest, BackupIntoAGitWorkTreeIsCommittedAndApplyFromBackupGivesEachRouterItsOwnFile) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string dir = TempDir("git");
    git_libgit2_init();
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_init(&repo, dir.c_str(), 0), 0);
    git_repository_free(repo);
    git_libgit2_shutdown();
    // The backups hold SIP passwords: a repository whose objects others can read is refused until closed.
    std::filesystem::permissions(dir + "/.git/objects", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);

    // .9 does not answer: the run fails, and what was written is committed all the same.
    CliRun backup = Run(With({"backup", "--json", "--into", dir, "--router", "127.0.0.2", "--router",
                              "127.0.0.3", "--router", "127.0.0.9", "--wait", "300"},
                             Ports(sim)));
    EXPECT_EQ(backup.exitCode, 1);
    QJsonObject summary = QJsonDocument::fromJson(QByteArray::fromStdString(backup.out)).object();
    const QJsonArray routers = summary.take("routers").toArray();
    // clang-format off
    EXPECT_EQ(summary, (QJsonObject{{"folder", QString::fromStdString(dir)}, {"ok", 2}, {"unsupported", 0},
                                    {"failed", 1}, {"committed", true}}));
    // clang-format on
    ASSERT_EQ(routers.size(), 3);
    EXPECT_EQ(routers[0]["file"], "00-1D-5A-73-00-02.csv");
    EXPECT_EQ(routers[2]["status"], "failed");
    EXPECT_TRUE(GitObjectText(dir, "HEAD").starts_with("backup: 3 routers, 2 ok, 1 failed\n\nProgram: dezadav-cli "))
        << GitObjectText(dir, "HEAD");
    const std::string twoPortFile = "00-1D-5A-73-00-02.csv";
    const std::string onePortFile = "00-1D-5A-83-00-03.csv";
    for (const std::string& name : {twoPortFile, onePortFile, std::string("index.tsv")})
        EXPECT_EQ(GitObjectText(dir, "HEAD:" + name), ReadAll(dir + "/" + name)) << name;
    EXPECT_EQ(GitObjectText(dir, "HEAD:" + twoPortFile), FetchedAlone(sim, "127.0.0.2"));
    // A run of one router keeps the others' rows, and changing no file it makes no commit.
    const std::string index = ReadAll(dir + "/index.tsv");
    EXPECT_EQ(Run(With({"backup", "--into", dir, "--router", "127.0.0.2"}, Ports(sim))).exitCode, 0);
    EXPECT_EQ(ReadAll(dir + "/index.tsv"), index);
    EXPECT_TRUE(GitObjectText(dir, "HEAD~1").empty());

    // Each router gets the file of its own MAC address; .3's is gone, so .3 alone fails, unasked.
    std::string changed = ReadAll(dir + "/" + twoPortFile);
    const std::size_t sipPort = changed.find("\r\n5060,");
    ASSERT_NE(sipPort, std::string::npos);
    WriteAll(dir + "/" + twoPortFile, changed.replace(sipPort + 2, 4, "5072"));
    std::filesystem::remove(dir + "/" + onePortFile);
    sim.ClearCommandLog();
    CliRun apply =
        Run(With({"apply", "--from-backup", dir, "--router", "127.0.0.2", "--router", "127.0.0.3"}, Ports(sim)));
    EXPECT_EQ(apply.exitCode, 1);
    const std::vector<std::string> sent = CommandsOf(sim, "127.0.0.2");
    EXPECT_TRUE(std::find(sent.begin(), sent.end(), "voip sip port 5072") != sent.end());
    EXPECT_TRUE(CommandsOf(sim, "127.0.0.3").empty());
    EXPECT_EQ(Lines(apply.err),
              (std::vector<std::string>{"127.0.0.3\tThere is no backup file " + dir + "/" + onePortFile +
                                            " of this router; nothing was applied.",
                                        "2 routers: 1 ok, 1 failed"}));
}

TEST_F(CliFleetTest, ParallelAppliesRecordIntoOneHistoryAndRestoreUndoesTheLast) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string history = TempDir("history");
    const std::string input = TempPath("plan.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,,,V\r\n\r\n;LIST\r\n");

    // A history folder that cannot be used ends the run before any router is contacted.
    CliRun unusable = Run(With({"apply", "--input", input, "--router", "127.0.0.2", "--history", input}, Ports(sim)));
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_NE(unusable.err.find("--no-history"), std::string::npos) << unusable.err;
    EXPECT_TRUE(CommandsOf(sim, "127.0.0.2").empty());

    const std::string before = FetchedAlone(sim, "127.0.0.2");
    CliRun run = Run(With({"apply", "--input", input, "--router", "127.0.0.2", "--router", "127.0.0.3", "--history",
                           history},
                          Ports(sim)));
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // Both routers' records are there, newest first, none lost to the other's.
    for (const std::string ip : {"127.0.0.2", "127.0.0.3"}) {
        CliRun listed = Run({"history", "--router", ip, "--json", "--history", history, "--discovery-port",
                             std::to_string(sim.DiscoveryPort())},
                            std::nullopt);
        ASSERT_EQ(listed.exitCode, 0) << listed.err;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(listed.out));
        EXPECT_EQ(document["router"]["ip"], QString::fromStdString(ip));
        const QJsonArray records = document["records"].toArray();
        ASSERT_EQ(records.size(), 3) << listed.out;
        EXPECT_EQ(records[0].toObject()["cause"].toString(), "after apply");
        EXPECT_GT(records[0].toObject()["changes"].toInt(), 0);
        EXPECT_EQ(records[1].toObject()["cause"].toString(), "before apply");
        EXPECT_EQ(records[1].toObject()["changes"].toInt(-1), 0);  // what the fetch just read
        EXPECT_EQ(records[2].toObject()["cause"].toString(), "fetch");
        EXPECT_FALSE(records[2].toObject().contains("changes"));
        EXPECT_EQ(records[2].toObject()["note"], "first record");
    }

    CliRun undo = Run(With({"restore", "--router", "127.0.0.2", "--to", "before-last-apply", "--history", history},
                           Ports(sim)));
    ASSERT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(FetchedAlone(sim, "127.0.0.2"), before);
    CliRun listed = Run({"history", "--router", "00-1d-5a-73-00-02", "--history", history}, std::nullopt);
    EXPECT_EQ(Lines(listed.out).size(), 5u) << listed.out;

    // An address no router answers from has no records under a MAC: the listing says so.
    CliRun unknown = Run({"history", "--router", "127.0.0.9", "--wait", "200", "--history", history,
                          "--discovery-port", std::to_string(sim.DiscoveryPort())},
                         std::nullopt);
    EXPECT_EQ(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_NE(unknown.err.find("no record of 127.0.0.9 (it did not answer"), std::string::npos) << unknown.err;
}


// A record is written or the run says so: two first runs into a new history both record, a lock left
// by a run that ended is removed and named, a run that cannot write its record ends with exit status
// 1 (an apply sends nothing without its record before), and git finds the history whole after all.
TEST_F(CliFleetTest, RecordsAreWrittenOrTheRunFailsAndSaysHowMany) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string history = TempDir("new") + "/history";
    const auto fetch = [&](const std::string& ip, std::optional<rlim_t> limit = std::nullopt) {
        return RunCliProcess(DEZADAV_CLI_PATH,
                             With({"fetch", "--router", ip, "--output", "-", "--history", history}, Ports(sim)),
                             "admin", {}, limit);
    };
    CliRun first;
    std::thread other([&] { first = fetch("127.0.0.2"); });
    const CliRun second = fetch("127.0.0.2");
    other.join();
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    CliRun listed = Run({"history", "--router", "00-1d-5a-73-00-02", "--history", history}, std::nullopt);
    EXPECT_EQ(Lines(listed.out).size(), 1u) << listed.out;  // the same settings are recorded once

    std::ofstream(history + "/refs/heads/main.lock");
    const CliRun unlocked = fetch("127.0.0.3");
    EXPECT_EQ(unlocked.exitCode, 0) << unlocked.err;
    EXPECT_NE(unlocked.err.find("removed a lock left by a run that ended: " + history + "/refs/heads/main.lock"),
              std::string::npos)
        << unlocked.err;

    // No file can grow past 64 bytes: no record's object can be written, as on a full disk.
    std::filesystem::remove_all(history);
    ASSERT_EQ(fetch("127.0.0.2").exitCode, 0);
    const CliRun full = fetch("127.0.0.3", 64);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_FALSE(full.out.empty());  // the settings were fetched all the same
    EXPECT_NE(full.err.find("1 record of the routers' settings could not be written"), std::string::npos) << full.err;
    const std::string input = TempPath("plan.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,,,V\r\n\r\n;LIST\r\n");
    sim.ClearCommandLog();
    const CliRun apply = RunCliProcess(
        DEZADAV_CLI_PATH, With({"apply", "--input", input, "--router", "127.0.0.2", "--history", history}, Ports(sim)),
        "admin", {}, 64);
    EXPECT_EQ(apply.exitCode, 1);
    EXPECT_NE(apply.err.find("Nothing was sent"), std::string::npos) << apply.err;
    for (const std::string& command : CommandsOf(sim, "127.0.0.2"))
        EXPECT_FALSE(command.starts_with("voip dial_plan set")) << "only the reads went out";

    QProcess fsck;
    fsck.start("git", {"-C", QString::fromStdString(history), "fsck", "--strict"});
    ASSERT_TRUE(fsck.waitForFinished(30000));
    EXPECT_EQ(fsck.exitCode(), 0) << fsck.readAllStandardError().toStdString();
}


// Given --model, a run asks the router's own address for its discovery answer while it logs in: its
// records follow the MAC. Records kept under the address while no answer came join that history, and
// restore through discovery finds them all.
TEST_F(CliFleetTest, RecordsUnderTheAddressJoinTheRoutersHistoryAndRestoreBringsItBack) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string history = TempDir("joined");
    const std::string input = TempPath("plan.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,,,V\r\n\r\n;LIST\r\n");
    const std::string before = FetchedAlone(sim, "127.0.0.2");
    const std::vector<std::string> model{"--model", "DZV-R5730K", "--history", history};
    // No discovery answer: the record is kept under the address.
    CliRun unanswered = Run(With({"fetch", "--router", "127.0.0.2", "--output", "-", "--telnet-port",
                                  std::to_string(sim.TelnetPort()), "--discovery-port", "9"},
                                 model));
    ASSERT_EQ(unanswered.exitCode, 0) << unanswered.err;
    CliRun apply = Run(With(With({"apply", "--input", input, "--router", "127.0.0.2"}, model), Ports(sim)));
    ASSERT_EQ(apply.exitCode, 0) << apply.err;
    CliRun byMac = Run({"history", "--router", "00-1d-5a-73-00-02", "--history", history}, std::nullopt);
    const std::vector<std::string> lines = Lines(byMac.out);
    // The fetch under the address, the apply's fetch (the MAC's first record), before and after.
    ASSERT_EQ(lines.size(), 4u) << byMac.out;
    EXPECT_NE(lines[3].find("\tfetch\t"), std::string::npos) << byMac.out;

    CliRun undo = Run(With({"restore", "--router", "127.0.0.2", "--to", "before-last-apply", "--history", history},
                           Ports(sim)));
    ASSERT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(FetchedAlone(sim, "127.0.0.2"), before);
}

}  // namespace
}  // namespace dezadav::testing
