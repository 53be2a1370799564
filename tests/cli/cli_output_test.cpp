// dezadav-cli's output as a script receives it: a run whose output could not be written says so and
// fails, and an apply stopped by a signal has printed exactly what the router received.
#include <gtest/gtest.h>

#include <csignal>

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "session/fetched_texts.h"
#include "support/cli_process.h"
#include "support/router_commands.h"
#include "support/routersim_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

constexpr const char* kOnePortIp = "127.0.0.3";
constexpr const char* kFull = "dezadav-cli: standard output: No space left on device\n";

class CliOutputTest : public ::testing::Test {
protected:
    CliRun Run(const std::vector<std::string>& args, const QString& standardOutputFile = {}) {
        return RunCliProcess(DEZADAV_CLI_PATH, args, "admin", {}, std::nullopt, standardOutputFile);
    }
    std::vector<std::string> Ports() const {
        return {"--telnet-port", std::to_string(m_sim.TelnetPort()), "--discovery-port",
                std::to_string(m_sim.DiscoveryPort())};
    }
    // What `history` takes of the ports: it logs in nowhere.
    std::vector<std::string> History(const std::string& router, const std::string& folder) const {
        return {"history", "--router", router, "--history", folder, "--discovery-port",
                std::to_string(m_sim.DiscoveryPort()), "--json"};
    }
    std::vector<std::string> With(std::vector<std::string> first, const std::vector<std::string>& more) const {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    }

    RouterSimProcess m_sim{{"--fault", std::string(kOnePortIp) + ":slow-echo=4"}};
    TempFiles m_temp{"cli_output_"};
};

TEST_F(CliOutputTest, OutputThatCannotBeWrittenFailsTheRunWithItsReason) {
    ASSERT_TRUE(m_sim.IsRunning());
    const std::string history = m_temp.Path("history");
    const std::string saved = m_temp.Path("saved.csv");
    ASSERT_EQ(Run(With({"fetch", "--router", "127.0.0.2", "--output", saved, "--history", history}, Ports())).exitCode, 0);
    const std::vector<std::string> commands[] = {
        With({"fetch", "--router", "127.0.0.2", "--output", "-"}, Ports()),
        {"discover", "--broadcast", m_sim.DiscoveryAddress(), "--discovery-port", std::to_string(m_sim.DiscoveryPort())},
        History("127.0.0.2", history),
        With({"diff", "--json", saved, "router:127.0.0.2"}, Ports()),
    };
    for (const auto& command : commands) {
        const CliRun run = Run(command, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.exitCode, 1) << command.front();
        EXPECT_EQ(run.err, kFull) << command.front();
    }
}

// The commands an apply sent, without the fetches around it.
std::vector<std::string> AppliedCommands(const RouterSimProcess& sim) {
    std::vector<std::string> applied;
    for (const std::string& command : CommandsOf(sim, kOnePortIp)) {
        const bool fetch = std::any_of(kFetchCommands.begin(), kFetchCommands.end(),
                                       [&](const FetchCommand& f) { return f.command == command; });
        if (!fetch) applied.push_back(command);
    }
    return applied;
}

TEST_F(CliOutputTest, ASignalStopsAnApplyAfterTheCommandBeingSentAndRecordsWhatTheRouterHolds) {
    ASSERT_TRUE(m_sim.IsRunning());
    // A dial plan of one entry: every other entry of the router is deleted, one command each.
    const std::string input = m_temp.Path("one_entry.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,PSTN,,V\r\n\r\n;LIST\r\n");
    for (const auto [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const std::string history = m_temp.Path("history" + std::to_string(signal));
        m_sim.ClearCommandLog();
        QProcess process;
        const QTemporaryDir dataHome;
        PrepareCliProcess(process, dataHome.path(), "admin");
        QStringList arguments{"apply", "--router", kOnePortIp, "--input",
                              QString::fromStdString(input), "--history", QString::fromStdString(history)};
        for (const std::string& port : Ports()) arguments << QString::fromStdString(port);
        process.start(DEZADAV_CLI_PATH, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
        // Stopped once three commands have been printed (the output is a pipe here).
        std::string printed;
        const QDeadlineTimer deadline(30000);
        while (std::count(printed.begin(), printed.end(), '\n') < 3 && !deadline.hasExpired() &&
               process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            printed += process.readAllStandardOutput().toStdString();
        ASSERT_GE(std::count(printed.begin(), printed.end(), '\n'), 3) << printed;
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        printed += process.readAllStandardOutput().toStdString();
        const std::string err = process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), status) << err;

        const std::vector<std::string> lines = Lines(printed);
        EXPECT_EQ(lines, AppliedCommands(m_sim));
        EXPECT_LT(lines.size(), 59u);
        EXPECT_TRUE(err.starts_with("Interrupted after " + std::to_string(lines.size()) + " of ")) << err;

        // The newest record is what the router holds now: it differs from the record taken before
        // the apply, and a fresh fetch finds nothing new to record.
        const auto records = [&] {
            const CliRun run = Run(History(kOnePortIp, history));
            EXPECT_EQ(run.exitCode, 0) << run.err;
            return QJsonDocument::fromJson(QByteArray::fromStdString(run.out))["records"].toArray();
        };
        const QJsonArray before = records();
        ASSERT_EQ(before.size(), 3) << err;
        EXPECT_EQ(before[1]["cause"], "before apply");
        EXPECT_GT(before[0]["changes"].toInt(), 0);
        const std::string fetched = m_temp.Path("fetched" + std::to_string(signal));
        ASSERT_EQ(Run(With({"fetch", "--router", kOnePortIp, "--output", fetched, "--history", history}, Ports()))
                      .exitCode,
                  0);
        EXPECT_EQ(records().size(), 3);
    }
}

}  // namespace
}  // namespace dezadav::testing
