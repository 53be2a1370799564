#include "ui/setting_dlg_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "lang/builtin_language_source.h"
#include "session/telnet_socket.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"

namespace dezadav {
namespace {

// A connection the system cannot provide: every run fails at its first step.
class NoSocket : public RouterConnection {
public:
    bool Create() override { return false; }
    bool Connect(const std::string&, uint16_t) override { return false; }
    void Close() override {}
    void Send(std::string_view) override {}
    void PumpEvents(int64_t) override {}
    ChunkQueue& Queue() override { return m_queue; }

private:
    ChunkQueue m_queue;
};

class SettingDlgWindowTest : public ::testing::Test {
protected:
    void SetUp() override { LoadBuiltinEnglish(nullptr); }

    SteadyClock m_clock;
    testing::RecordingMessagePort m_port;
};

TEST_F(SettingDlgWindowTest, FailedRunShowsTheModeTextOnceThenItsMessage) {
    NoSocket socket;
    CSettingDlg session(socket, m_clock, ProcessLanguageTable(), m_port);
    session.mode = SessionMode::ApplySettings;
    session.routerIp = "127.0.0.2";
    CSettingDlgWindow window;
    // What the box shows while the run is under way.
    QString seen;
    bool visibleDuringRun = false;
    m_port.shown.clear();
    struct Probe : MessagePort {
        CSettingDlgWindow* window;
        QString* seen;
        bool* visible;
        testing::RecordingMessagePort* record;
        void ShowMessage(const std::string& c, const std::string& t, MessageIcon i) override {
            *seen = window->ProgressText();
            *visible = window->isVisible();
            record->ShowMessage(c, t, i);
        }
    } probe;
    probe.window = &window;
    probe.seen = &seen;
    probe.visible = &visibleDuringRun;
    probe.record = &m_port;
    CSettingDlg probed(socket, m_clock, ProcessLanguageTable(), probe);
    probed.mode = SessionMode::ApplySettings;

    EXPECT_EQ(window.Run(probed), DialogResult::Cancel);
    EXPECT_EQ(window.TimesShown(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_EQ(seen, QStringLiteral("Apply Setting to router ..."));
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, "Failed to create TCP socket!");

    // A mode value outside the three starts nothing and never shows the box.
    session.mode = static_cast<SessionMode>(7);
    EXPECT_EQ(window.Run(session), DialogResult::Cancel);
    EXPECT_EQ(window.TimesShown(), 1);
}

TEST_F(SettingDlgWindowTest, LogRefreshWhileHiddenRunsWithoutTheBoxButStillTells) {
    NoSocket socket;
    CSettingDlg session(socket, m_clock, ProcessLanguageTable(), m_port);
    session.mode = SessionMode::GetVoipLog;
    session.mainWindowVisible = false;
    CSettingDlgWindow window;
    EXPECT_EQ(window.Run(session), DialogResult::Cancel);
    EXPECT_EQ(window.TimesShown(), 0);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, "Failed to create TCP socket!");

    // With the window on screen the same refresh shows its text.
    session.mainWindowVisible = true;
    EXPECT_EQ(window.Run(session), DialogResult::Cancel);
    EXPECT_EQ(window.TimesShown(), 1);
    EXPECT_EQ(window.ProgressText(), QStringLiteral("Get VoIP Log from router ..."));
}

TEST_F(SettingDlgWindowTest, ProgressBoxIsModalWhileUpAndGoesAway) {
    QWidget main;
    main.setGeometry(120, 80, 400, 300);
    auto* edit = new QLineEdit(&main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    edit->setFocus();
    CSettingDlgWindow window(&main);
    window.ShowProgress(QStringLiteral("Get Setting from router ..."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_LE((window.geometry().center() - main.geometry().center()).manhattanLength(), 1);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(QApplication::activeModalWidget(), &window);
    EXPECT_EQ(window.ProgressText(), QStringLiteral("Get Setting from router ..."));
    window.close();  // refused while an exchange runs
    EXPECT_TRUE(window.isVisible());
    window.HideProgress();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The offscreen platform activates every window shown: the focus must come back to the widget.
    EXPECT_TRUE(QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; }, 2000));
}

TEST_F(SettingDlgWindowTest, FetchFromTheEmulatedRouterClosesWithOk) {
    testing::RouterSimProcess sim;
    if (!sim.IsRunning()) GTEST_SKIP() << "router emulator did not start";
    CTelnetSocket socket;
    CSettingDlg session(socket, m_clock, ProcessLanguageTable(), m_port);
    session.mode = SessionMode::GetSettings;
    session.routerIp = "127.0.0.3";
    session.password = "admin";
    session.modelName = "DZV-R5830K";
    session.telnetPort = sim.TelnetPort();
    CSettingDlgWindow window;
    EXPECT_EQ(window.Run(session), DialogResult::Ok);
    EXPECT_TRUE(m_port.shown.empty());
    EXPECT_EQ(window.TimesShown(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_NE(session.fetched.dialPlanList.find("voip"), std::string::npos);

    // A wrong password: one message, Cancel, and the box is gone.
    session.password = "wrong";
    EXPECT_EQ(window.Run(session), DialogResult::Cancel);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, "Failed to login router!");
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace dezadav
