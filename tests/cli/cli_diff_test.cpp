// dezadav-cli diff and the --json documents, run as a process against the router emulator.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "support/cli_process.h"
#include "support/routersim_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

class CliDiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.IsRunning());
        for (const char* ip : {"127.0.0.2", "127.0.0.3"}) {
            const std::string path = m_temp.Path(std::string(ip) + ".csv");
            ASSERT_EQ(Run({"fetch", "--router", ip, "--output", path}).exitCode, 0);
            m_fetched.push_back(path);
        }
    }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--telnet-port", std::to_string(m_sim.TelnetPort()), "--discovery-port",
                                 std::to_string(m_sim.DiscoveryPort())});
        return RunCliProcess(DEZADAV_CLI_PATH, args, "admin");
    }
    // A copy of the two-port router's file with `from` replaced by `to` (each found once).
    std::string Edited(const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& edits) {
        std::string text = ReadAll(m_fetched[0]);
        for (const auto& [from, to] : edits) {
            const std::size_t at = text.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            if (at != std::string::npos) text.replace(at, from.size(), to);
        }
        const std::string path = m_temp.Path(name);
        WriteAll(path, text);
        return path;
    }

    RouterSimProcess m_sim;
    TempFiles m_temp{"dezadav_diff_"};
    std::vector<std::string> m_fetched;  // the two-port router's file, then the one-port router's
};

TEST_F(CliDiffTest, PrintsOneLinePerDifferingFieldAndExitsByTheOutcome) {
    const std::string before = m_fetched[0];
    const std::string after = Edited("after.csv", {{"\r\n12,112,,emergency.example.org,,,-", "\r\n12,,,,,,-"},
                                                   {"\r\n5060,sip.provider", "\r\n5061,sip.provider"}});
    const std::string notSettings = m_temp.Path("notes.csv");
    WriteAll(notSettings, "no settings here\n");
    struct Case {
        std::vector<std::string> sides;
        int exitCode;
        std::vector<std::string> out;
        std::string err;  // the start of stderr
    };
    const Case cases[] = {
        {{before, before}, 0, {}, ""},
        {{before, after}, 1, {"Dial Plan 12\tPhone Number\t112\t(deleted)", "SIP\tSIP Port\t5060\t5061"}, ""},
        {{before, "router:127.0.0.2"}, 0, {}, ""},
        {{after, "router:127.0.0.2"},
         1,
         {"Dial Plan 12\tPhone Number\t(empty)\t112",
          "Dial Plan 12\tSIP Address\t(empty)\temergency.example.org", "Dial Plan 12\tStatus\t(empty)\t-",
          "SIP\tSIP Port\t5061\t5060"},
         ""},
        {{before}, 2, {}, "dezadav-cli: 'diff' needs two settings to compare"},
        {{before, m_temp.Path("missing.csv")}, 2, {}, "dezadav-cli: cannot read "},
        {{notSettings, before},
         2,
         {},
         "dezadav-cli: cannot read " + notSettings + ": it holds no settings section"},
        {{before, "router:10.0.0.300"}, 2, {}, "dezadav-cli: 'router:10.0.0.300' needs a dotted IPv4"},
        {{"router:127.0.0.9", before, "--model", "DZV-R5730K"}, 2, {}, "Failed to connect to router!"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"diff"};
        args.insert(args.end(), c.sides.begin(), c.sides.end());
        const CliRun run = Run(args);
        const std::string what = c.sides.front() + " " + c.sides.back();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << "\n" << run.err;
        EXPECT_EQ(Lines(run.out), c.out) << what;
        EXPECT_TRUE(run.err.starts_with(c.err)) << what << "\n" << run.err;
    }

    // Each side is read in its own form, and the fields compared are those of B's form: a one-port
    // router keeps loop-through numbers but no second voice port, a two-port one the other way round.
    const CliRun toOnePort = Run({"diff", m_fetched[0], m_fetched[1]});
    EXPECT_NE(toOnePort.out.find("Dial Plan 1\tLoop Through\t(empty)\tISDN\n"), std::string::npos);
    EXPECT_EQ(toOnePort.out.find("Port 2"), std::string::npos);
    EXPECT_NE(toOnePort.out.find("Expiry Time\t1 hour\t30 mins\n"), std::string::npos);
    const CliRun toTwoPort = Run({"diff", m_fetched[1], m_fetched[0]});
    EXPECT_EQ(toTwoPort.out.find("Loop Through"), std::string::npos);
    EXPECT_NE(toTwoPort.out.find("Port 2\tName\tp1\t4930123402\n"), std::string::npos);
}

TEST_F(CliDiffTest, JsonIsOneDocumentWithTheDocumentedFields) {
    const auto parsed = [](const CliRun& run) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
        return document.object();
    };

    const QJsonObject found =
        parsed(RunCliProcess(DEZADAV_CLI_PATH,
                             {"discover", "--json", "--broadcast", m_sim.DiscoveryAddress(),
                              "--discovery-port", std::to_string(m_sim.DiscoveryPort())},
                             std::nullopt));
    QStringList macs;
    for (const QJsonValue router : found[QStringLiteral("routers")].toArray()) {
        const QJsonObject r = router.toObject();
        if (r[QStringLiteral("ip")] == QStringLiteral("127.0.0.2")) {
            EXPECT_EQ(r[QStringLiteral("model")].toString(), QStringLiteral("DZV-R5730K"));
            EXPECT_EQ(r[QStringLiteral("firmware")].toString(), QStringLiteral("2.6.14"));
        }
        macs << r[QStringLiteral("mac")].toString();
    }
    macs.sort();
    EXPECT_EQ(macs, (QStringList{QStringLiteral("00-1D-5A-73-00-02"), QStringLiteral("00-1D-5A-83-00-03")}));

    const std::string dir = m_temp.Path("backup");
    const CliRun backupRun = Run({"backup", "--json", "--into", dir, "--router", "127.0.0.2", "--router",
                                  "127.0.0.9", "--wait", "300"});
    std::filesystem::remove_all(dir);
    EXPECT_EQ(backupRun.exitCode, 1);
    const QJsonObject backup = parsed(backupRun);
    EXPECT_EQ(backup[QStringLiteral("ok")].toInt(), 1);
    EXPECT_EQ(backup[QStringLiteral("failed")].toInt(), 1);
    EXPECT_FALSE(backup[QStringLiteral("committed")].toBool());
    const QJsonArray routers = backup[QStringLiteral("routers")].toArray();
    ASSERT_EQ(routers.size(), 2);
    EXPECT_EQ(routers[0][QStringLiteral("file")].toString(), QStringLiteral("00-1D-5A-73-00-02.csv"));
    EXPECT_EQ(routers[0][QStringLiteral("status")].toString(), QStringLiteral("ok"));
    EXPECT_EQ(routers[1][QStringLiteral("status")].toString(), QStringLiteral("failed"));
    EXPECT_TRUE(routers[1][QStringLiteral("message")].toString().contains(QStringLiteral("did not answer")));

    const std::string after = Edited("after.csv", {{"\r\n5060,sip.provider", "\r\n5061,sip.provider"}});
    const QJsonObject diff = parsed(Run({"diff", "--json", m_fetched[0], after}));
    EXPECT_FALSE(diff[QStringLiteral("equal")].toBool());
    EXPECT_TRUE(diff[QStringLiteral("twoPort")].toBool());
    EXPECT_EQ(diff[QStringLiteral("differences")].toArray(),
              (QJsonArray{QJsonObject{{QStringLiteral("area"), QStringLiteral("SIP")},
                                      {QStringLiteral("field"), QStringLiteral("SIP Port")},
                                      {QStringLiteral("a"), QStringLiteral("5060")},
                                      {QStringLiteral("b"), QStringLiteral("5061")}}}));
}

}  // namespace
}  // namespace dezadav::testing
