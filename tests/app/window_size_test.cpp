// The main window as a user grows it: under a window manager, maximised with a double click on its
// title bar, it shows more of the dial plan; started again, it comes back at the size it had.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/routersim_process.h"
#include "x_desktop.h"

namespace {

using namespace dezadav::testing;

struct Report {
    int rows = 0;
    int width = 0;
    int height = 0;
    QPoint title;
};

Report Read(const QString& line) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^rows=(\\d+) size=(\\d+)x(\\d+) title=(-?\\d+),(-?\\d+)$")).match(line);
    if (!m.hasMatch()) return {};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
            QPoint(m.captured(4).toInt(), m.captured(5).toInt())};
}

class WindowSizeTest : public XDesktopTest {};

TEST_F(WindowSizeTest, MaximisedTheDialPlanShowsMoreRowsAndTheSizeIsKept) {
    if (!StartWindowManager()) GTEST_SKIP() << "no openbox";
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    // The size and place are kept in a profile of this test's.
    QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.path());
    const QStringList args{QString::number(sim.TelnetPort()), QString::fromStdString(sim.DiscoveryAddress()),
                           QString::number(sim.DiscoveryPort())};

    QProcess& first = StartProbe(QStringLiteral(DEZADAV_WINDOW_SIZE_PROBE_PATH), args);
    const Report designed = Read(WaitForLine(first, QStringLiteral("rows="), 30000));
    ASSERT_GT(designed.rows, 0);
    // A busy machine may take the two clicks for two single ones: the user would double-click again.
    Report maximised = designed;
    for (int attempt = 0; attempt < 5 && maximised.height <= designed.height; ++attempt) {
        Click(maximised.title, QStringLiteral("1"), 2);
        for (int i = 0; i < 4 && maximised.height <= designed.height; ++i) {
            first.write("\n");
            maximised = Read(WaitForLine(first, QStringLiteral("rows="), 5000));
        }
    }
    EXPECT_GT(maximised.height, designed.height);
    EXPECT_GT(maximised.width, designed.width);
    EXPECT_GT(maximised.rows, designed.rows + 5) << "designed " << designed.rows << " rows";
    // Its input closed, the program ends as a user's would.
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(10000));

    QProcess& second = StartProbe(QStringLiteral(DEZADAV_WINDOW_SIZE_PROBE_PATH), args);
    const Report again = Read(WaitForLine(second, QStringLiteral("rows="), 30000));
    EXPECT_EQ(again.width, maximised.width);
    EXPECT_EQ(again.height, maximised.height);
    EXPECT_EQ(again.rows, maximised.rows);
}

}  // namespace
