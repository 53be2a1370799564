// The tray icon in a real notification area: a virtual X server with a tray host and a window
// manager, clicks made with xdotool, the window's state read from the X server. Skipped where those
// programs are missing.
#include <QPoint>
#include <QProcess>
#include <QStringList>

#include "support/routersim_process.h"
#include "x_desktop.h"

namespace {

using namespace dezadav::testing;

class TrayHostTest : public XDesktopTest {
protected:
    void SetUp() override {
        if (!HaveTools({"trayer"})) GTEST_SKIP() << "trayer is not installed";
        XDesktopTest::SetUp();
    }

    void StartTrayHost() {
        QProcess& trayer = StartHelper(QStringLiteral("trayer"),
                                       {QStringLiteral("--edge"), QStringLiteral("bottom"),
                                        QStringLiteral("--align"), QStringLiteral("right"),
                                        QStringLiteral("--width"), QStringLiteral("10")});
        ASSERT_TRUE(trayer.waitForStarted(10000));
    }

    // Starts a probe and returns the centre of its icon; retries while the host is still starting.
    QPoint IconCentre(const QStringList& args, QProcess** started,
                      const QString& program = QStringLiteral(DEZADAV_TRAY_PROBE_PATH)) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            QProcess& probe = StartProbe(program, args);
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
};

TEST_F(TrayHostTest, WithoutHostThereIsNoIcon) {
    QProcess& probe = StartProbe(QStringLiteral(DEZADAV_TRAY_PROBE_PATH));
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
// icon brings it back where it was, and so does a second copy of the program asking it to the front.
TEST_F(TrayHostTest, MainWindowMinimisesIntoTheTrayAndComesBackWhole) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    StartTrayHost();
    QProcess* window = nullptr;
    const QPoint centre = IconCentre({}, &window, QStringLiteral(DEZADAV_MAIN_WINDOW_TRAY_PROBE_PATH));
    ASSERT_NE(window, nullptr) << "the tray host never took the main window's icon";
    const QString id = WaitForLine(*window, QStringLiteral("window="), 5000).mid(7);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");
    // Where the window is on the screen ("Absolute upper-left X/Y"), to be found there again.
    const auto place = [&] {
        const QString info = X11Output(QStringLiteral("xwininfo -id ") + id);
        return info.section(QLatin1String("Absolute upper-left X:"), 1).section(u'\n', 0, 0).trimmed() + "," +
               info.section(QLatin1String("Absolute upper-left Y:"), 1).section(u'\n', 0, 0).trimmed();
    };
    const QString before = place();

    // Minimised by the window manager, as its title bar button does.
    X11Output(QStringLiteral("xdotool windowminimize ") + id);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=1 visible=0 menu=1 progress=0");
    EXPECT_EQ(WaitForMapState(id, "IsUnMapped"), "IsUnMapped");
    Click(centre, QStringLiteral("1"), 2);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");
    EXPECT_EQ(place().toStdString(), before.toStdString());

    // Minimised again, then called to the front as a second copy of the program does.
    X11Output(QStringLiteral("xdotool windowminimize ") + id);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=1 visible=0 menu=1 progress=0");
    EXPECT_EQ(WaitForMapState(id, "IsUnMapped"), "IsUnMapped");
    window->write("front\n");
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");
    EXPECT_EQ(place().toStdString(), before.toStdString());
}

// Minimised during an apply, the window goes into the tray and stays there until the user brings it
// back (one click on the icon); then neither the end of the apply nor the call-log refreshes that
// follow hide or minimise it.
TEST_F(TrayHostTest, OnlyTheUserPutsTheWindowAway) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    StartTrayHost();
    QProcess* window = nullptr;
    const QPoint centre =
        IconCentre({QString::number(sim.TelnetPort()), QString::fromStdString(sim.DiscoveryAddress()),
                    QString::number(sim.DiscoveryPort())},
                   &window, QStringLiteral(DEZADAV_MAIN_WINDOW_TRAY_PROBE_PATH));
    ASSERT_NE(window, nullptr) << "the tray host never took the main window's icon";
    const QString id = WaitForLine(*window, QStringLiteral("window="), 5000).mid(7);
    ASSERT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");

    // Every typed byte of the apply answered late: time to minimise the window while it runs.
    ASSERT_EQ(sim.Control("fault 127.0.0.2:slow-echo=40").rfind("OK", 0), 0u);
    window->write("apply\n");
    ASSERT_FALSE(WaitForLine(*window, QStringLiteral("exchange"), 10000).isEmpty());
    X11Output(QStringLiteral("xdotool windowminimize ") + id);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=1 visible=0 menu=1 progress=0");
    const QString applied = WaitForLine(*window, QStringLiteral("boxes="), 30000);
    ASSERT_FALSE(applied.isEmpty()) << "the apply never ended";
    sim.Control("clearfaults 127.0.0.2");
    EXPECT_EQ(WaitForMapState(id, "IsUnMapped"), "IsUnMapped")
        << "the end of the apply brought the window back";

    Click(centre, QStringLiteral("1"), 1);
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 5000).toStdString(),
              "state hidden=0 visible=1 menu=0 progress=1");
    // Two refreshes (every 10 s), each with its box over the window: the window stays.
    const int before = applied.mid(6).toInt();
    for (int refresh = 1; refresh <= 2; ++refresh) {
        const QString line = WaitForLine(*window, QStringLiteral("boxes="), 20000);
        EXPECT_EQ(line.mid(6).toInt(), before + refresh) << line.toStdString();
    }
    EXPECT_EQ(WaitForLine(*window, QStringLiteral("state"), 1000).toStdString(), "")
        << "the window's state changed";
    EXPECT_EQ(WaitForMapState(id, "IsViewable"), "IsViewable");
}

}  // namespace
