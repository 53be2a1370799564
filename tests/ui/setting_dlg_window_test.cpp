#include "ui/setting_dlg_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace dezadav {
namespace {

// Clicks and keys are made through the window, as the window system delivers them.
class SettingDlgWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_main.setGeometry(120, 80, 400, 300);
        m_edit = new QLineEdit(&m_main);
        m_button = new QPushButton(QStringLiteral("Apply"), &m_main);
        m_button->setGeometry(10, 200, 100, 30);
        QObject::connect(m_button, &QPushButton::clicked, [this] { ++m_clicks; });
        m_main.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_main));
        m_edit->setFocus();
    }

    void TypeAndClick() {
        for (const char key : {'4', '2'}) QTest::keyClick(m_main.windowHandle(), key);
        QTest::mouseClick(m_main.windowHandle(), Qt::LeftButton, {}, m_button->geometry().center());
    }

    QWidget m_main;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_button = nullptr;
    int m_clicks = 0;
};

TEST_F(SettingDlgWindowTest, RefreshBoxHoldsInputAndHandsTheKeysOnAfterwards) {
    CSettingDlgWindow window(&m_main);
    window.ShowProgress(QStringLiteral("Get VoIP Log from router ..."), true);
    EXPECT_TRUE(window.isVisible());
    EXPECT_LE((window.geometry().center() - m_main.geometry().center()).manhattanLength(), 1);
    EXPECT_EQ(window.ProgressText(), QStringLiteral("Get VoIP Log from router ..."));
    TypeAndClick();
    EXPECT_EQ(m_edit->text(), QString());
    window.close();  // refused while an exchange runs
    EXPECT_TRUE(window.isVisible());
    window.HideProgress();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_edit->text() == QStringLiteral("42"); }, 2000));
    EXPECT_EQ(m_clicks, 0);
    EXPECT_EQ(QApplication::focusWidget(), m_edit);
    TypeAndClick();  // nothing held any more
    EXPECT_EQ(m_edit->text(), QStringLiteral("4242"));
    EXPECT_EQ(m_clicks, 1);
}

TEST_F(SettingDlgWindowTest, KeysTypedWhileWaitingForOwnExchangeAreDropped) {
    CSettingDlgWindow window(&m_main);
    window.ShowProgress(QStringLiteral("Apply Setting to router ..."));
    TypeAndClick();
    window.HideProgress();
    QTest::qWait(50);
    EXPECT_EQ(m_edit->text(), QString());
    EXPECT_EQ(m_clicks, 0);
}

}  // namespace
}  // namespace dezadav
