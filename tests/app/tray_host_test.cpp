// The tray icon in a real notification area: a virtual X server with a tray host and a window
// manager, clicks made with xdotool, the window's state read from the X server. Skipped where those
// programs are missing.
#include <gtest/gtest.h>

#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <QThread>
#include <memory>
#include <string>

namespace {

bool HaveTools() {
    for (const char* tool : {"Xvfb", "trayer", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) return false;
    }
    return true;
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.closeWriteChannel();
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// Reads lines until one starts with `prefix` or `waitMs` passes (in 100 ms steps).
QString WaitForLine(QProcess& process, const QString& prefix, int waitMs) {
    for (int waited = 0; waited < waitMs; waited += 100) {
        while (process.canReadLine()) {
            const QString line = QString::fromLatin1(process.readLine()).trimmed();
            if (line.startsWith(prefix)) return line;
        }
        if (process.state() == QProcess::NotRunning) break;
        process.waitForReadyRead(100);
    }
    return QString();
}

class TrayHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTools()) GTEST_SKIP() << "Xvfb, trayer or xdotool is not installed";
        // Xvfb picks a free display number itself and writes it to the given descriptor.
        m_xvfb.setProcessChannelMode(QProcess::SeparateChannels);
        m_xvfb.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                      QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp")});
        ASSERT_TRUE(m_xvfb.waitForStarted(10000));
        const QString number = WaitForLine(m_xvfb, QString(), 10000);
        ASSERT_FALSE(number.isEmpty()) << "Xvfb did not report its display";
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + number);
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }

    void TearDown() override {
        for (auto& probe : m_probes) Stop(*probe);
        Stop(m_trayer);
        Stop(m_windowManager);
        Stop(m_xvfb);
    }

    // A reparenting window manager, as on a desktop: it frames the window and iconifies it. It has
    // taken over once it names itself on the root window.
    void StartWindowManager() {
        m_windowManager.setProcessEnvironment(m_env);
        m_windowManager.start(QStringLiteral("openbox"), {});
        ASSERT_TRUE(m_windowManager.waitForStarted(10000));
        for (int i = 0;
             i < 100 && !X11Output(QStringLiteral("xprop -root _NET_SUPPORTING_WM_CHECK")).contains(u'#');
             ++i)
            QThread::msleep(100);
    }

    QString X11Output(const QString& command) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        QStringList words = command.split(QLatin1Char(' '));
        tool.start(words.takeFirst(), words);
        tool.waitForFinished(10000);
        return QString::fromLatin1(tool.readAllStandardOutput());
    }

    // Waits up to 5 s for the X server to report the window's map state as `wanted` ("IsViewable",
    // "IsUnMapped"); returns the last one reported.
    std::string WaitForMapState(const QString& window, const char* wanted) {
        std::string state;
        for (int i = 0; i < 50 && state != wanted; ++i, QThread::msleep(100)) {
            const QString info = X11Output(QStringLiteral("xwininfo -id ") + window);
            state =
                info.mid(info.indexOf(QLatin1String("Map State: ")) + 11).section(u'\n', 0, 0).toStdString();
        }
        return state;
    }

    void StartTrayHost() {
        m_trayer.setProcessEnvironment(m_env);
        m_trayer.start(QStringLiteral("trayer"),
                       {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                        QStringLiteral("right"), QStringLiteral("--width"), QStringLiteral("10")});
        ASSERT_TRUE(m_trayer.waitForStarted(10000));
    }

    QProcess& StartProbe(const QStringList& args,
                         const QString& program = QStringLiteral(DEZADAV_TRAY_PROBE_PATH)) {
        m_probes.push_back(std::make_unique<QProcess>());
        QProcess& probe = *m_probes.back();
        probe.setProcessEnvironment(m_env);
        probe.start(program, args);
        return probe;
    }

    // Starts a probe and returns the centre of its icon; retries while the host is still starting.
    QPoint IconCentre(const QStringList& args, QProcess** started,
                      const QString& program = QStringLiteral(DEZADAV_TRAY_PROBE_PATH)) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            QProcess& probe = StartProbe(args, program);
            const QStringList fields =
                WaitForLine(probe, QStringLiteral("enabled="), 10000).split(QLatin1Char(' '));
            if (fields.size() == 5 && fields[0] == QLatin1String("enabled=1")) {
                *started = &probe;
                return QPoint(fields[1].toInt() + fields[3].toInt() / 2,
                              fields[2].toInt() + fields[4].toInt() / 2);
            }
            Stop(probe);
            QProcess::execute(QStringLiteral("sleep"), {QStringLiteral("0.2")});
        }
        *started = nullptr;
        return QPoint();
    }

    void Click(QPoint at, const QString& button, int times) {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_env);
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                       QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
                       QStringLiteral("--delay"), QStringLiteral("60"), button});
        ASSERT_TRUE(xdotool.waitForFinished(10000));
    }

    QProcess m_xvfb;
    QProcess m_trayer;
    QProcess m_windowManager;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_probes;
};

TEST_F(TrayHostTest, WithoutHostThereIsNoIcon) {
    QProcess& probe = StartProbe({});
    EXPECT_TRUE(WaitForLine(probe, QStringLiteral("enabled="), 10000).startsWith(QLatin1String("enabled=0")));
}

TEST_F(TrayHostTest, DoubleClickOpensInBothStatesRightClickMenuOnlyWhileHidden) {
    StartTrayHost();
    QProcess* shown = nullptr;
    const QPoint centre = IconCentre({}, &shown);
    ASSERT_NE(shown, nullptr) << "the tray host never took the icon";

    // Window on screen: a right click offers nothing; a double click sends Open.
    Click(centre, QStringLiteral("3"), 1);
    Click(centre, QStringLiteral("1"), 2);
    const QString first = WaitForLine(*shown, QString(), 5000);
    EXPECT_EQ(first.toStdString(), "command=32775") << "a menu or nothing came first";
    Stop(*shown);

    // Window hidden in the tray: the right click opens the menu; the double click still sends Open.
    QProcess* hidden = nullptr;
    const QPoint hiddenCentre = IconCentre({QStringLiteral("hidden")}, &hidden);
    ASSERT_NE(hidden, nullptr);
    Click(hiddenCentre, QStringLiteral("3"), 1);
    EXPECT_EQ(WaitForLine(*hidden, QStringLiteral("menu"), 5000).toStdString(), "menu");
    QProcess escape;
    escape.setProcessEnvironment(m_env);
    escape.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    escape.waitForFinished(5000);
    Click(hiddenCentre, QStringLiteral("1"), 2);
    EXPECT_EQ(WaitForLine(*hidden, QStringLiteral("command="), 5000).toStdString(), "command=32775");
}

// The main window itself under a window manager: minimising it there puts it into the tray (really
// off the screen, tray menu offered, log refreshes without a progress box); a double click on the
// icon brings it back, and so does a second copy of the program asking it to the front.
TEST_F(TrayHostTest, MainWindowMinimisesIntoTheTrayAndComesBackWhole) {
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) GTEST_SKIP() << "no openbox";
    StartWindowManager();
    StartTrayHost();
    QProcess* window = nullptr;
    const QPoint centre = IconCentre({}, &window, QStringLiteral(DEZADAV_MAIN_WINDOW_TRAY_PROBE_PATH));
    ASSERT_NE(window, nullptr) << "the tray host never took the main window's icon";
    const QString id = WaitForLine(*window, QStringLiteral("window="), 5000).mid(7);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");

    // Minimised by the window manager, as its title bar button does.
    X11Output(QStringLiteral("xdotool windowminimize ") + id);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=1 visible=0 menu=1 progress=0");
    EXPECT_EQ(WaitForMapState(id, "IsUnMapped"), "IsUnMapped");
    Click(centre, QStringLiteral("1"), 2);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");

    // Minimised again, then called to the front as a second copy of the program does.
    X11Output(QStringLiteral("xdotool windowminimize ") + id);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=1 visible=0 menu=1 progress=0");
    EXPECT_EQ(WaitForMapState(id, "IsUnMapped"), "IsUnMapped");
    window->write("front\n");
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");
}

}  // namespace
