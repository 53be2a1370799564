#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

namespace dezadav {
namespace {

// Keys kept back during an automatic refresh are handed on under a real window manager
// (tests/app/progress_focus_test.cpp); here, what an exchange the user started does with them.
TEST(ProgressWindowTest, OwnExchangeBoxIsCentredCannotBeClosedAndDropsTheKeysTyped) {
    QWidget main;
    main.setGeometry(120, 80, 400, 300);
    auto* edit = new QLineEdit(&main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    edit->setFocus();
    CProgressWindow window(&main);
    window.ShowProgress(QStringLiteral("Apply Setting to router ..."));
    EXPECT_LE((window.geometry().center() - main.geometry().center()).manhattanLength(), 1);
    EXPECT_EQ(window.ProgressText(), QStringLiteral("Apply Setting to router ..."));
    // Through the window, as the window system delivers keys.
    QTest::keyClick(main.windowHandle(), '7');
    window.close();  // refused while an exchange runs
    EXPECT_TRUE(window.isVisible());
    window.HideProgress();
    EXPECT_FALSE(window.isVisible());
    QTest::qWait(50);
    EXPECT_EQ(edit->text(), QString());
    EXPECT_TRUE(QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; }, 2000));
}

// Keys typed during an automatic refresh reach the window afterwards, but an Esc among them does not:
// arriving late it would end the window (the program, for the main window) the user meant to keep.
TEST(ProgressWindowTest, EscTypedDuringARefreshIsNotHandedOnLater) {
    QDialog main;
    auto* edit = new QLineEdit(&main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    edit->setFocus();
    CProgressWindow window(&main);
    window.ShowProgress(QStringLiteral("Get VoIP Log from router ..."), true);
    for (const int key : {int('7'), int(Qt::Key_Escape)}) QTest::keyClick(main.windowHandle(), Qt::Key(key));
    window.HideProgress();
    EXPECT_TRUE(QTest::qWaitFor([edit] { return edit->text() == QStringLiteral("7"); }, 2000));
    QTest::qWait(50);  // for the Esc typed after it
    EXPECT_TRUE(main.isVisible());
}

}  // namespace
}  // namespace dezadav
