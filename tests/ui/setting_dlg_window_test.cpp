#include "ui/setting_dlg_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace dezadav {
namespace {

TEST(SettingDlgWindowTest, ProgressBoxIsModalWhileUpAndGoesAway) {
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

}  // namespace
}  // namespace dezadav
