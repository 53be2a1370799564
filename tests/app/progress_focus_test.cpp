// The progress box of an automatic refresh under a real window manager: it must not take the keyboard
// focus from the window the user is typing in, nothing typed meanwhile may be lost, and a click on a
// button meanwhile waits (with the busy cursor) and is carried out once the exchange is over.
#include <QPoint>
#include <QProcess>
#include <QStringList>

#include "x_desktop.h"

namespace {

using namespace dezadav::testing;

class ProgressFocusTest : public XDesktopTest {};

TEST_F(ProgressFocusTest, RefreshBoxLeavesFocusAndTypingAlone) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    QProcess& probe = StartProbe(QStringLiteral(DEZADAV_PROGRESS_FOCUS_PROBE_PATH));
    const QStringList window = WaitForLine(probe, QStringLiteral("window="), 10000).split(u' ');
    ASSERT_EQ(window.size(), 3) << "the probe's window never became active";
    const QString id = window[0].mid(7);
    const QPoint button(window[1].mid(7).toInt(), window[2].toInt());
    ASSERT_FALSE(WaitForLine(probe, QStringLiteral("ready"), 5000).isEmpty());

    auto type = [this](const char* text) {
        X11Output(QStringLiteral("xdotool type --delay 40 ") + QString::fromLatin1(text));
    };
    auto report = [&probe] {
        probe.write("report\n");
        return WaitForLine(probe, QStringLiteral("text="), 5000).toStdString();
    };

    for (const char* typed : {"12", "34"}) {
        probe.write("show\n");
        ASSERT_FALSE(WaitForLine(probe, QStringLiteral("up"), 5000).isEmpty());
        EXPECT_EQ(X11Output(QStringLiteral("xdotool getwindowfocus")).trimmed().toStdString(), id.toStdString())
            << "the window manager gave the box the focus";
        type(typed);
        Click(button, QStringLiteral("1"), 1);
        // Kept back while the box is up, the click waiting under the busy cursor; the click made
        // under the box before is carried out.
        EXPECT_EQ(report(),
                  typed[0] == '1' ? "text= focus=1 clicks=0 busy=1" : "text=12 focus=1 clicks=1 busy=1");
        probe.write("hide\n");
    }
    EXPECT_EQ(report(), "text=1234 focus=1 clicks=2 busy=0");
    type("5");
    Click(button, QStringLiteral("1"), 1);
    EXPECT_EQ(report(), "text=12345 focus=0 clicks=3 busy=0");
}

}  // namespace
