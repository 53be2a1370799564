// dezadav-cli through a stock telnet daemon: busybox telnetd serves the emulator's terminal mode on a
// pseudo-terminal, which cuts the router's answers wherever it likes. Skipped without busybox.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include "support/cli_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

TEST(CliTelnetDaemonTest, FetchAndApplyThroughBusyboxTelnetdForBothRouterForms) {
    const QString busybox = QStandardPaths::findExecutable("busybox");
    if (busybox.isEmpty()) GTEST_SKIP() << "busybox is not installed (Debian package busybox-static)";
    TempFiles temp("dezadav_telnetd_");
    for (const auto& [ip, model] :
         {std::pair{"127.0.0.2", "DZV-R5730K"}, std::pair{"127.0.0.3", "DZV-R5830K"}}) {
        SCOPED_TRACE(model);
        const std::string shell = temp.Path(std::string(ip) + "_shell");
        WriteAll(shell,
                 std::string("#!/bin/sh\nexec '" DEZADAV_ROUTERSIM_PATH "' --tty --no-default-routers ") +
                     "--router " + ip + "," + model + " --state '" + temp.Path(std::string(ip) + "_state") +
                     "'\n");
        ASSERT_EQ(0, ::chmod(shell.c_str(), 0700));
        QTcpServer free;  // a free port, given back for the daemon to take
        ASSERT_TRUE(free.listen(QHostAddress(ip), 0));
        const QString port = QString::number(free.serverPort());
        free.close();
        QProcess daemon;
        daemon.start(busybox, {"telnetd", "-F", "-K", "-p", port, "-b", ip, "-f", "/dev/null", "-l",
                               QString::fromStdString(shell)});
        ASSERT_TRUE(daemon.waitForStarted(5000));
        const auto listening = [&] {
            QTcpSocket probe;
            probe.connectToHost(ip, port.toUShort());
            return probe.waitForConnected(100);
        };
        for (int attempt = 0; attempt < 50 && !listening(); ++attempt) QThread::msleep(100);

        const auto run = [&](std::vector<std::string> args) {
            for (const char* arg : {"--router", ip, "--model", model, "--telnet-port"}) args.push_back(arg);
            args.push_back(port.toStdString());
            return RunCliProcess(DEZADAV_CLI_PATH, args, "admin");
        };
        const std::string fetched = temp.Path(std::string(ip) + ".csv");
        const CliRun fetch = run({"fetch", "--output", fetched});
        ASSERT_EQ(0, fetch.exitCode) << fetch.err;
        // A new SIP port: the whole SIP row is sent, one command per field.
        std::string text = ReadAll(fetched);
        const std::size_t sipRow = text.rfind("\r\n", text.find("\r\n\r\n;SIP") - 1) + 2;
        text.replace(sipRow, text.find(',', sipRow) - sipRow, "5072");
        WriteAll(fetched, text);
        const CliRun apply = run({"apply", "--input", fetched});
        ASSERT_EQ(0, apply.exitCode) << apply.err;
        EXPECT_NE(std::string::npos, apply.out.find("voip sip port 5072\n"));
        // Every model is sent all ten SIP commands, the second port's too.
        const auto sent = Lines(apply.out);
        EXPECT_EQ(10, std::count_if(sent.begin(), sent.end(), [](const std::string& line) {
                      return line.starts_with("voip sip ");
                  })) << apply.out;
        // A later session of the router holds what the apply set.
        ASSERT_EQ(0, run({"fetch", "--output", fetched}).exitCode);
        EXPECT_EQ(text, ReadAll(fetched));
        daemon.kill();
        daemon.waitForFinished(5000);
    }
}

}  // namespace
}  // namespace dezadav::testing
