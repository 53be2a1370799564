#include "ui/router_info_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "support/english_language.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

class RouterInfoDlgTest : public ::testing::Test {
protected:
    LanguageTable m_texts = testing::ShippedEnglish();

    static QStringList LabelTexts(const QDialog& dialog) {
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        return texts;
    }
};

TEST_F(RouterInfoDlgTest, ShowsRouterAsksPasswordAndFocusesItsBox) {
    CRouterInfoDlg dialog(m_texts);
    dialog.SetRouter("DZV-R5730K", "127.0.0.2", "255.0.0.0", "00-11-22-33-44-55", "1.2.3");
    dialog.open();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirm Password"));
    const QStringList texts = LabelTexts(dialog);
    for (const char* expected : {"Model Name :", "IP Address :", "Subnet Mask :", "MAC Address :",
                                 "Firmware Version :", "Password :", "DZV-R5730K", "127.0.0.2", "255.0.0.0",
                                 "00-11-22-33-44-55", "1.2.3"}) {
        EXPECT_TRUE(texts.contains(QString::fromLatin1(expected))) << expected;
    }
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.PasswordBox()->echoMode(), QLineEdit::Password);

    // Whatever had the focus first, it lands in the password box shortly after showing.
    dialog.OkButton()->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.focusWidget(), static_cast<QWidget*>(dialog.PasswordBox()), 5000);

    QTest::keyClicks(dialog.PasswordBox(), QStringLiteral("s3cret pw"));
    QTest::keyClick(dialog.PasswordBox(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), "s3cret pw");
    EXPECT_EQ(dialog.IpAddress(), "127.0.0.2");
}

TEST_F(RouterInfoDlgTest, EveryRunStartsWithEmptyPasswordAndSameRouter) {
    CRouterInfoDlg dialog(m_texts);
    dialog.SetRouter("DZV-R5830K", "127.0.0.3", "255.0.0.0", "00-AA-BB-CC-DD-EE", "2.0");
    dialog.open();
    QTest::keyClicks(dialog.PasswordBox(), QStringLiteral("wrong"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.Password(), "wrong");

    // Shown again after a failed fetch: same router, empty box; an empty password is accepted.
    dialog.open();
    EXPECT_TRUE(dialog.PasswordBox()->text().isEmpty());
    EXPECT_TRUE(LabelTexts(dialog).contains(QStringLiteral("00-AA-BB-CC-DD-EE")));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), "");

    // Esc and the Cancel button reject.
    dialog.open();
    QTest::keyClicks(dialog.PasswordBox(), QStringLiteral("abc"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.open();
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace dezadav
