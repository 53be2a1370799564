// Start-up of the window program against a bare Qt Widgets window on the same machine.
//
// Each run starts a fresh process and times, from the moment it is started, until its window is on
// screen and fully opaque: for dezadav that is the end of the fade-in at the first Connect sequence
// (which by design starts 100 ms after the window is up), for the bare window the moment its window
// is exposed. The window is dezadav's, run by dezadav-demo, which then plays the user (first router,
// password, fetch) and reports its resident memory after the full fetch; the bare window reports its
// own right away.
//
//   startup_bench [runs]        (default 5 runs of each; the router emulator runs on loopback)
//   startup_bench --bare        (the bare window, started by the benchmark itself)
//
// Without $DISPLAY both programs draw off screen (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/routersim_process.h"

namespace {

constexpr int kRunTimeoutMs = 60000;

long ResidentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

// The bare window: the main window's size, nothing in it.
int RunBareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(708, 566);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) return;
        poll.stop();
        std::printf("opaque\nconnected 0 rss-kib=%ld\n", ResidentKib());
        std::fflush(stdout);
        QApplication::quit();
    });
    poll.start(1);
    return app.exec();
}

struct Sample {
    double opaqueMs = -1;
    long rssKib = 0;
};

// Starts `program` and reads its milestones: the time until "opaque", the memory of "connected".
Sample RunOnce(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    Sample sample;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(kRunTimeoutMs)) return sample;
    QByteArray pending;
    while (clock.elapsed() < kRunTimeoutMs && sample.rssKib == 0) {
        if (!process.canReadLine() &&
            !process.waitForReadyRead(static_cast<int>(kRunTimeoutMs - clock.elapsed()))) {
            break;
        }
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith("opaque") && sample.opaqueMs < 0)
                sample.opaqueMs = clock.nsecsElapsed() / 1e6;
            const int rss = line.indexOf("rss-kib=");
            if (line.startsWith("connected") && rss >= 0) sample.rssKib = line.mid(rss + 8).toLong();
        }
    }
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

int RunBenchmark(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    dezadav::testing::RouterSimProcess sim;
    if (!sim.IsRunning()) {
        std::fprintf(stderr, "the router emulator did not start\n");
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const bool offscreen = !environment.contains(QStringLiteral("DISPLAY"));
    if (offscreen) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Its own lock folder, so a copy of dezadav already running here does not stop these.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("DEZADAV_PASSWORD"), QStringLiteral("admin"));

    const QStringList windowArguments = {
        QStringLiteral("--telnet-port"),    QString::number(sim.TelnetPort()),
        QStringLiteral("--broadcast"),      QString::fromStdString(sim.DiscoveryAddress()),
        QStringLiteral("--discovery-port"), QString::number(sim.DiscoveryPort())};
    std::vector<double> appMs, bareMs, appKib, bareKib;
    for (int run = 0; run < runs; ++run) {
        const Sample window = RunOnce(QStringLiteral(DEZADAV_DEMO_PATH), windowArguments, environment);
        const Sample bare =
            RunOnce(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare")}, environment);
        if (window.opaqueMs < 0 || window.rssKib == 0 || bare.opaqueMs < 0 || bare.rssKib == 0) {
            std::fprintf(stderr, "run %d did not report (window %.1f ms %ld KiB, bare %.1f ms %ld KiB)\n",
                         run, window.opaqueMs, window.rssKib, bare.opaqueMs, bare.rssKib);
            return 1;
        }
        appMs.push_back(window.opaqueMs);
        bareMs.push_back(bare.opaqueMs);
        appKib.push_back(static_cast<double>(window.rssKib));
        bareKib.push_back(static_cast<double>(bare.rssKib));
    }
    const double app = Median(appMs), bare = Median(bareMs);
    const double appMem = Median(appKib), bareMem = Median(bareKib);
    std::printf("platform: %s; median of %d runs each\n", offscreen ? "offscreen" : "X display", runs);
    std::printf(
        "start to window shown and opaque: dezadav %.1f ms (its start timer is 100 ms of that), "
        "bare Qt window %.1f ms, ratio %.2f\n",
        app, bare, app / bare);
    std::printf("resident memory: dezadav after a full fetch %.0f KiB, bare Qt window %.0f KiB, ratio %.2f\n",
                appMem, bareMem, appMem / bareMem);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--bare") return RunBareWindow(argc, argv);
    return RunBenchmark(argc, argv);
}
