// The main window as a user meets it under a window manager against the router emulator, with its
// history and profile in folders of the test's: preview, history and undo answered with keys pressed
// on the X server, and the window maximised by the window manager.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "lang/messages.h"
#include "support/router_commands.h"
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
    // A busy machine may not have ended the flow before yet: the button is tried again, as a user would.
    void Press(QProcess& probe, const char* button) {
        std::string ready;
        for (int i = 0; i < 10 && ready != "ready enabled=1"; ++i) {
            probe.write(QByteArray(button) + '\n');
            ready = Next(probe, "ready");
        }
        ASSERT_EQ(ready, "ready enabled=1") << button;
        Key("Return");
    }
    // The window against the emulator, with its history in a folder of this test's.
    QProcess& StartWindow() {
        // The window's size and place are kept in a profile of this test's.
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_profile.path());
        return StartProbe(QStringLiteral(DEZADAV_HISTORY_WINDOW_PROBE_PATH),
                          {QString::number(sim.TelnetPort()), QString::fromStdString(sim.DiscoveryAddress()),
                           QString::number(sim.DiscoveryPort()), m_history.path()});
    }
    // Entry 3 switched on in Index Info, the dialog then left with `keys`.
    void SwitchEntry3On(QProcess& probe, const char* keys) {
        probe.write("list\n");
        ASSERT_EQ(Next(probe, "ready"), "ready enabled=1");
        Key("F2");
        ASSERT_EQ(Next(probe, "dialog"), "dialog dezadav::CIndexInfoDlg");
        Key(keys);
    }
    // The probe's answer to `command` ("size", "maximise"): rows of the dial plan shown, width, height.
    std::vector<int> Size(QProcess& probe, const char* command = "size") {
        probe.write(QByteArray(command) + '\n');
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^size rows=(\\d+) (\\d+)x(\\d+)$"))
                                              .match(WaitForLine(probe, QStringLiteral("size"), 5000));
        std::vector<int> values;
        for (int i = 1; m.hasMatch() && i <= 3; ++i) values.push_back(m.captured(i).toInt());
        return m.hasMatch() ? values : std::vector<int>(3, 0);
    }
    RouterSimProcess sim;
    QTemporaryDir m_history;
    QTemporaryDir m_profile;
    // The message box that ends an apply, closed with Enter.
    void ExpectApplied(QProcess& probe) {
        EXPECT_EQ(Next(probe, "message"), "message Settings have been applied to router.");
        Key("Return");
    }
};

TEST_F(HistoryWindowTest, ApplyIsPreviewedRecordedAndUndone) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    QProcess& probe = StartWindow();
    ASSERT_EQ(Next(probe, "connected"), "connected entry3=-");

    // Entry 3 is switched on in Index Info, then applied with Enter: the preview names that one field.
    SwitchEntry3On(probe, "space Return Return");
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

// Leaving the router through Select Router asks about the edits as every way out does: a router
// chosen there, then Cancel, returns to the router and its edits; Esc (Exit), then Apply to Router,
// applies them before the program ends.
TEST_F(HistoryWindowTest, SelectRouterAsksBeforeEditsAreLost) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    QProcess& probe = StartWindow();
    ASSERT_EQ(Next(probe, "connected"), "connected entry3=-");
    SwitchEntry3On(probe, "space Return");

    const std::string question = "message " + std::string(dezadav::kMsgUnsavedEdits.englishDefault);
    Press(probe, "search");
    EXPECT_EQ(Next(probe, "message").substr(0, 60), question.substr(0, 60));
    Key("Escape");
    EXPECT_EQ(Next(probe, "not connected"), "not connected entry3=V");

    probe.write("manual\n");
    Press(probe, "search");
    ASSERT_EQ(Next(probe, "dialog"), "dialog dezadav::CSelectRouterDlg");
    Key("Escape");
    EXPECT_EQ(Next(probe, "message").substr(0, 60), question.substr(0, 60));
    Key("Return");
    EXPECT_EQ(Next(probe, "preview"), "preview Dial Plan 3 \u00b7 Status: - \u2192 V");
    Key("Return");
    ExpectApplied(probe);
    EXPECT_TRUE(probe.waitForFinished(10000)) << "Exit did not end the program once the edits were applied";
    const auto commands = CommandsOf(sim, "127.0.0.2");
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(),
                            [](const std::string& c) { return c.starts_with("voip dial_plan set 3 "); }));
}

TEST_F(HistoryWindowTest, MaximisedTheDialPlanShowsMoreRowsAndTheSizeIsKept) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    QProcess& first = StartWindow();
    ASSERT_EQ(Next(first, "connected"), "connected entry3=-");
    const std::vector<int> designed = Size(first);  // rows, width, height
    ASSERT_GT(designed[0], 0);
    // The window manager maximises it (a window that cannot grow it leaves as it is).
    std::vector<int> maximised = Size(first, "maximise");
    for (int i = 0; i < 20 && maximised[2] <= designed[2]; ++i) maximised = Size(first);
    EXPECT_GT(maximised[1], designed[1]);
    EXPECT_GT(maximised[2], designed[2]);
    EXPECT_GT(maximised[0], designed[0] + 5) << "designed: " << designed[0] << " rows";
    // Its input closed, the program ends as a user's would; started again, the window is as it was.
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(10000));
    QProcess& second = StartWindow();
    ASSERT_EQ(Next(second, "connected"), "connected entry3=-");
    EXPECT_EQ(Size(second), maximised);
}

}  // namespace
