#include "ui/setting_dlg_window.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace dezadav {
namespace {

TEST(SettingDlgWindowTest, ProgressBoxIsModalWhileUpAndGoesAway) {
    QWidget main;
    main.resize(400, 300);
    main.show();
    CSettingDlgWindow window(&main);
    window.ShowProgress(QStringLiteral("Get Setting from router ..."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(QApplication::activeModalWidget(), &window);
    EXPECT_EQ(window.ProgressText(), QStringLiteral("Get Setting from router ..."));
    window.close();  // refused while an exchange runs
    EXPECT_TRUE(window.isVisible());
    window.HideProgress();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace dezadav
