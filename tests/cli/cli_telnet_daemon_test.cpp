// dezadav-cli through a stock telnet daemon: busybox telnetd serves the emulator on a pseudo-terminal,
// which cuts the router's answers wherever it likes. Skipped where busybox is not installed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QNetworkProxy>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include "support/cli_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {
namespace {

// A free TCP port on `ip`: taken from the system, then given back for the daemon to take.
uint16_t FreePort(const QString& ip) {
    QTcpServer server;
    if (!server.listen(QHostAddress(ip), 0)) return 0;
    return server.serverPort();
}

// busybox telnetd on ip:port, starting `wrapper` for every connection; stopped when the object goes.
class TelnetDaemon {
public:
    TelnetDaemon(const std::string& busybox, const std::string& wrapper, const std::string& ip, uint16_t port) {
        m_process.start(QString::fromStdString(busybox),
                        {"telnetd", "-F", "-K", "-p", QString::number(port), "-b", QString::fromStdString(ip),
                         "-f", "/dev/null", "-l", QString::fromStdString(wrapper)});
        m_process.waitForStarted(5000);
        // Listening once a connection is taken; 50 tries 100 ms apart at most.
        for (int attempt = 0; attempt < 50 && !m_listening; ++attempt) {
            QTcpSocket probe;
            probe.setProxy(QNetworkProxy::NoProxy);
            probe.connectToHost(QString::fromStdString(ip), port);
            m_listening = probe.waitForConnected(100);
            if (!m_listening) QThread::msleep(100);
        }
    }
    ~TelnetDaemon() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool Listening() const { return m_listening; }

private:
    QProcess m_process;
    bool m_listening = false;
};

TEST(CliTelnetDaemonTest, FetchAndApplyThroughBusyboxTelnetdForBothRouterForms) {
    const QString busybox = QStandardPaths::findExecutable("busybox");
    if (busybox.isEmpty()) GTEST_SKIP() << "busybox is not installed (Debian package busybox-static)";
    TempFiles temp("dezadav_telnetd_");
    const struct Form {
        std::string ip;
        std::string model;
    } forms[] = {{"127.0.0.2", "DZV-R5730K"}, {"127.0.0.3", "DZV-R5830K"}};
    for (const Form& form : forms) {
        SCOPED_TRACE(form.model);
        const std::string state = temp.Path(form.ip + "_state");
        const std::string wrapper = temp.Path(form.ip + "_shell");
        WriteAll(wrapper, "#!/bin/sh\nexec '" DEZADAV_ROUTERSIM_PATH "' --tty --no-default-routers --router " +
                              form.ip + "," + form.model + " --state '" + state + "'\n");
        ASSERT_EQ(0, ::chmod(wrapper.c_str(), 0700));
        const uint16_t port = FreePort(QString::fromStdString(form.ip));
        ASSERT_NE(0, port);
        const TelnetDaemon daemon(busybox.toStdString(), wrapper, form.ip, port);
        ASSERT_TRUE(daemon.Listening());

        const std::vector<std::string> router = {"--router", form.ip, "--telnet-port", std::to_string(port),
                                                 "--model", form.model};
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.end(), router.begin(), router.end());
            return RunCliProcess(DEZADAV_CLI_PATH, args, "admin");
        };
        const std::string fetched = temp.Path(form.ip + "_fetched.csv");
        const CliRun fetch = run({"fetch", "--output", fetched});
        ASSERT_EQ(0, fetch.exitCode) << fetch.err;

        // A new SIP row: every field of it is sent, one command per field.
        std::string text = ReadAll(fetched);
        const std::size_t sipEnd = text.find("\r\n\r\n;SIP");
        ASSERT_NE(std::string::npos, sipEnd);
        const std::size_t sipStart = text.rfind("\r\n", sipEnd - 1) + 2;
        std::string sipRow = text.substr(sipStart, sipEnd - sipStart);
        sipRow.replace(0, sipRow.find(','), "5072");
        text.replace(sipStart, sipEnd - sipStart, sipRow);
        const std::string edited = temp.Path(form.ip + "_edited.csv");
        WriteAll(edited, text);
        const CliRun apply = run({"apply", "--input", edited});
        ASSERT_EQ(0, apply.exitCode) << apply.err;
        EXPECT_NE(std::string::npos, apply.out.find("voip sip port 5072\n"));

        // A later session of the router holds what the apply set.
        const std::string again = temp.Path(form.ip + "_again.csv");
        ASSERT_EQ(0, run({"fetch", "--output", again}).exitCode);
        EXPECT_EQ(text, ReadAll(again));
    }
}

}  // namespace
}  // namespace dezadav::testing
