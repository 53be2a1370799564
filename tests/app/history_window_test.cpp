// The main window as a user meets it under a window manager against the router emulator, with its
// history and profile in folders of the test's: preview, history and undo answered with keys pressed
// on the X server, and the window maximised with a double click on its title bar.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/routersim_process.h"
#include "x_desktop.h"

namespace {

using namespace dezadav::testing;

class HistoryWindowTest : public XDesktopTest {
protected:
    void Key(const char* keys) {
        X11Output(QStringLiteral("xdotool key --delay 150 ") + QString::fromLatin1(keys));
    }
    // The probe's next line starting with `prefix`, as UTF-8.
    std::string Next(QProcess& probe, const char* prefix) {
        return WaitForLine(probe, QString::fromLatin1(prefix), 20000).toLatin1().toStdString();
    }
    // The probe puts the focus on one of the window's buttons (`button`: list, history, undo,
    // search), which Enter then presses.
    void Press(QProcess& probe, const char* button) {
        probe.write(QByteArray(button) + '\n');
        ASSERT_EQ(Next(probe, "ready"), "ready enabled=1") << button;
        Key("Return");
    }
    QProcess& StartWindow(RouterSimProcess& sim, const QTemporaryDir& folder) {
        // The window's size and place are kept in a profile of this test's.
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
        return StartProbe(QStringLiteral(DEZADAV_HISTORY_WINDOW_PROBE_PATH),
                          {QString::number(sim.TelnetPort()), QString::fromStdString(sim.DiscoveryAddress()),
                           QString::number(sim.DiscoveryPort()), folder.path()});
    }
    // The probe's "size" answer: rows of the dial plan shown, width, height, a point on the title bar.
    std::vector<int> Size(QProcess& probe) {
        probe.write("size\n");
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^size rows=(\\d+) (\\d+)x(\\d+) title=(-?\\d+),(-?\\d+)$"))
                                              .match(WaitForLine(probe, QStringLiteral("size"), 5000));
        std::vector<int> values;
        for (int i = 1; m.hasMatch() && i <= 5; ++i) values.push_back(m.captured(i).toInt());
        return m.hasMatch() ? values : std::vector<int>(5, 0);
    }
    // The message box that ends an apply, closed with Enter.
    void ExpectApplied(QProcess& probe) {
        EXPECT_EQ(Next(probe, "message"), "message Settings have been applied to router.");
        Key("Return");
    }
};

TEST_F(HistoryWindowTest, ApplyIsPreviewedRecordedAndUndone) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    QTemporaryDir history;
    ASSERT_TRUE(history.isValid());
    QProcess& probe = StartWindow(sim, history);
    ASSERT_EQ(Next(probe, "connected"), "connected entry3=-");

    // Entry 3 is switched on in Index Info, then applied with Enter: the preview names that one field.
    probe.write("list\n");
    ASSERT_EQ(Next(probe, "ready"), "ready enabled=1");
    Key("F2");
    ASSERT_EQ(Next(probe, "dialog"), "dialog dezadav::CIndexInfoDlg");
    Key("space Return Return");
    EXPECT_EQ(Next(probe, "preview"), "preview Dial Plan 3 \u00b7 Status: - \u2192 V");
    Key("Return");
    ExpectApplied(probe);

    // Recorded at the fetch and around the apply; the record before the apply differs from the pages
    // in that field only.
    Press(probe, "history");
    EXPECT_EQ(Next(probe, "history"), "history after apply,before apply,fetch");
    Key("Down Return");
    EXPECT_EQ(Next(probe, "view"), "view Dial Plan 3 \u00b7 Status: V \u2192 -");
    Key("Escape");

    // Undo previews the way back and, confirmed, leaves the router as it was: read again, entry 3 is
    // off.
    Press(probe, "undo");
    EXPECT_EQ(Next(probe, "preview"), "preview Dial Plan 3 \u00b7 Status: V \u2192 -");
    Key("Return");
    ExpectApplied(probe);
    Press(probe, "search");
    EXPECT_EQ(Next(probe, "connected"), "connected entry3=-");
}

TEST_F(HistoryWindowTest, MaximisedTheDialPlanShowsMoreRowsAndTheSizeIsKept) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess& first = StartWindow(sim, folder);
    ASSERT_EQ(Next(first, "connected"), "connected entry3=-");
    const std::vector<int> designed = Size(first);  // rows, width, height, title x, title y
    ASSERT_GT(designed[0], 0);
    // A busy machine may take the two clicks for two single ones: the user would double-click again.
    std::vector<int> maximised = designed;
    for (int attempt = 0; attempt < 5 && maximised[2] <= designed[2]; ++attempt) {
        Click(QPoint(maximised[3], maximised[4]), QStringLiteral("1"), 2);
        for (int i = 0; i < 4 && maximised[2] <= designed[2]; ++i) maximised = Size(first);
    }
    EXPECT_GT(maximised[1], designed[1]);
    EXPECT_GT(maximised[0], designed[0] + 5) << "designed: " << designed[0] << " rows";
    // Its input closed, the program ends as a user's would; started again, the window is as it was.
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(10000));
    QProcess& second = StartWindow(sim, folder);
    ASSERT_EQ(Next(second, "connected"), "connected entry3=-");
    EXPECT_EQ(Size(second), maximised);
}

}  // namespace
