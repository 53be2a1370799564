#include "ui/pages/sip_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "page_test_support.h"
#include "settings/settings_file.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::FileBytes;
using testing::Items;
using testing::LanguageSwitch;
using testing::RecordingMessagePort;
using testing::Retype;
using testing::ScriptedChooser;
using testing::TextIn;
using testing::Texts;

std::string RouterLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n\r";
    return text + "router> \n\r";
}

class SipPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadBuiltinEnglish(nullptr);
        m_page = std::make_unique<CSIPPage>(m_sip, ProcessLanguageTable(), m_port);
    }

    void Fetch(bool twoPort) {
        m_sip.SetTwoPort(twoPort);
        ASSERT_TRUE(m_sip.ParseSipOutput(
            RouterLines({"  name: alice", "  registrar: 1", "  password: pw1", "  seconds: 3600"}),
            SipOutputKind::Endpoint, 1));
        if (twoPort) {
            ASSERT_TRUE(m_sip.ParseSipOutput(
                RouterLines({"  name: bob", "  registrar: 3", "  password: pw2", "  seconds: 86400"}),
                SipOutputKind::Endpoint, 2));
        }
        m_page->SetTwoPort(twoPort);
        ASSERT_TRUE(m_sip.ParseSipOutput(RouterLines({"  number: 5062"}), SipOutputKind::Port, 1));
        ASSERT_TRUE(m_sip.ParseSipOutput(RouterLines({"Now: 10.0.0.254"}), SipOutputKind::Registrar, 1));
        m_page->ShowModel();
    }

    testing::EnglishLoaded m_english;
    SipSettings m_sip{ProcessLanguageTable()};
    RecordingMessagePort m_port;
    std::unique_ptr<CSIPPage> m_page;
};

TEST_F(SipPageTest, StartsWithTheDefaults) {
    EXPECT_EQ(m_page->SipPortBox()->text(), "5060");
    EXPECT_EQ(m_page->RegistrarBox()->text(), "");
    EXPECT_EQ(m_page->Port1UserNameBox()->text(), "p0");
    EXPECT_EQ(m_page->Port2UserNameBox()->text(), "p1");
    EXPECT_EQ(m_page->Port1PasswordBox()->text(), "");
    EXPECT_EQ(Items(m_page->Port1ViaList()), Texts(0, "SIP_1Via", 0, 3));
    EXPECT_EQ(Items(m_page->Port2ViaList()), Texts(0, "SIP_2Via", 0, 3));
    EXPECT_EQ(m_page->Port1ViaList()->currentIndex(), 0);
    EXPECT_EQ(Items(m_page->Port1ExpiryList()), Texts(0, "SIP_1Time", 0, 9));
    EXPECT_EQ(m_page->Port1ExpiryList()->currentText().toStdString(), TextIn(0, "SIP_1Time5"));
    EXPECT_EQ(m_page->Port2ExpiryList()->currentText().toStdString(), TextIn(0, "SIP_2Time5"));
    EXPECT_FALSE(m_page->UseRegistrarBox()->isChecked());
    EXPECT_EQ(m_page->UseRegistrarBox()->text(), "Use Rigistrar");
    EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(0, "Button_Save"));
    EXPECT_EQ(m_page->Port1PasswordBox()->echoMode(), QLineEdit::Password);
}

TEST_F(SipPageTest, OnePortFormShowsTheUseRegistrarBoxOnly) {
    Fetch(false);
    EXPECT_FALSE(m_page->ShowsTwoPort());
    for (QWidget* control : m_page->TwoPortControls())
        EXPECT_TRUE(control->isHidden()) << control->metaObject()->className();
    EXPECT_EQ(m_page->TwoPortControls().size(), 12);
    EXPECT_FALSE(m_page->UseRegistrarBox()->isHidden());
    EXPECT_TRUE(m_page->UseRegistrarBox()->isChecked());
    EXPECT_EQ(m_page->Port1UserNameLabel()->text().toStdString(), TextIn(0, "SIP_5870Name"));
    EXPECT_EQ(m_page->Port1UserNameBox()->text(), "alice");
    EXPECT_EQ(m_page->Port1PasswordBox()->text(), "pw1");
    EXPECT_EQ(m_page->SipPortBox()->text(), "5062");
    EXPECT_EQ(m_page->RegistrarBox()->text(), "10.0.0.254");
    EXPECT_EQ(m_page->Port1ExpiryList()->count(), 10);
    EXPECT_EQ(m_page->Port1ExpiryList()->currentText().toStdString(), TextIn(0, "SIP_1Time4"));
}

TEST_F(SipPageTest, TwoPortFormShowsBothPortsAndEightExpiryChoices) {
    Fetch(true);
    for (QWidget* control : m_page->TwoPortControls()) EXPECT_FALSE(control->isHidden());
    EXPECT_TRUE(m_page->UseRegistrarBox()->isHidden());
    EXPECT_EQ(m_page->Port1UserNameLabel()->text().toStdString(), TextIn(0, "SIP_UserName1"));
    EXPECT_EQ(Items(m_page->Port1ExpiryList()), Texts(0, "SIP_1Time", 2, 9));
    EXPECT_EQ(m_page->Port2ExpiryList()->count(), 8);
    EXPECT_EQ(m_page->Port1ExpiryList()->currentIndex(), 2);  // 1 hour
    EXPECT_EQ(m_page->Port2ExpiryList()->currentIndex(), 7);  // 1 day
    EXPECT_EQ(m_page->Port1ViaList()->currentIndex(), 1);
    EXPECT_EQ(m_page->Port2ViaList()->currentIndex(), 3);
    EXPECT_EQ(m_page->Port2UserNameBox()->text(), "bob");
    EXPECT_EQ(m_page->Port2PasswordBox()->text(), "pw2");
}

TEST_F(SipPageTest, EditsGoStraightIntoTheRowOfEitherForm) {
    Fetch(true);
    Retype(m_page->SipPortBox(), "5070");
    Retype(m_page->RegistrarBox(), "reg.example");
    Retype(m_page->Port1UserNameBox(), "u1");
    Retype(m_page->Port2PasswordBox(), "secret2");
    m_page->Port1ViaList()->setCurrentIndex(2);
    m_page->Port2ExpiryList()->setCurrentIndex(0);
    EXPECT_EQ(m_sip.SipRowText(), "5070,reg.example,2,u1,pw1,2,3,bob,secret2,0\r\n");

    Fetch(false);
    m_page->Port1ExpiryList()->setCurrentIndex(9);
    QCheckBox* box = m_page->UseRegistrarBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_FALSE(m_sip.UseRegistrar());
    EXPECT_EQ(m_sip.SipFields()[2], "0");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(m_sip.UseRegistrar());
    EXPECT_EQ(m_sip.SipFields()[2], "1");
    EXPECT_EQ(m_sip.SipFields()[5], "9");
    EXPECT_EQ(m_sip.SipFields()[6], "0");

    // Mirroring the model never writes back into it.
    const std::string row = m_sip.SipRowText();
    m_page->ShowModel();
    m_page->ShowModel();
    EXPECT_EQ(m_sip.SipRowText(), row);
}

TEST_F(SipPageTest, PasswordBoxesTakeAtMostTwentyThreeTypedCharacters) {
    for (QLineEdit* box : {m_page->Port1PasswordBox(), m_page->Port2PasswordBox()}) {
        QTest::keyClicks(box, QString(30, QLatin1Char('k')));
        EXPECT_EQ(box->text().size(), 23);
    }
    EXPECT_EQ(m_sip.Port1Password(), std::string(23, 'k'));
    EXPECT_EQ(m_sip.Port2Password(), std::string(23, 'k'));

    // A longer password from the router is shown whole, not cut.
    m_sip.SetPort1Password(std::string(40, 'r'));
    m_page->ShowModel();
    EXPECT_EQ(m_page->Port1PasswordBox()->text().toStdString(), std::string(40, 'r'));
    EXPECT_EQ(m_sip.Port1Password(), std::string(40, 'r'));
    // It can be shortened character by character, but typing does not make it longer.
    QLineEdit* box = m_page->Port1PasswordBox();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, QStringLiteral("xyz"));
    EXPECT_EQ(m_sip.Port1Password(), std::string(38, 'r'));
}

TEST_F(SipPageTest, LoadedRowIsShown) {
    Fetch(true);
    const std::string file = "5080,r.example,3,n1,p1,5,2,n2,p2,8\r\n\r\n;SIP\r\n";
    ASSERT_TRUE(LoadSipSection(m_sip, file, 0, file.find(";SIP")));
    m_page->ShowModel();
    EXPECT_EQ(m_page->SipPortBox()->text(), "5080");
    EXPECT_EQ(m_page->Port1ViaList()->currentIndex(), 3);
    // A one-port file loaded on a two-port router: position 5 of eight is "8 hours", 8 is nothing.
    EXPECT_EQ(m_page->Port1ExpiryList()->currentText().toStdString(), TextIn(0, "SIP_1Time7"));
    EXPECT_EQ(m_page->Port2ExpiryList()->currentIndex(), -1);
    EXPECT_EQ(m_page->Port2UserNameBox()->text(), "n2");
}

TEST_F(SipPageTest, RecaptionRelabelsAndRefillsTheListsKeepingSelections) {
    Fetch(false);
    m_page->Port1ViaList()->setCurrentIndex(2);
    m_page->Port1ExpiryList()->setCurrentIndex(7);
    m_page->Port2ExpiryList()->setCurrentIndex(1);
    const std::string row = m_sip.SipRowText();
    {
        LanguageSwitch chinese(1);
        m_page->Recaption();
        EXPECT_EQ(m_page->Port1UserNameLabel()->text().toStdString(), TextIn(1, "SIP_5870Name"));
        EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(1, "Button_Save"));
        const QStringList via = Items(m_page->Port1ViaList());
        ASSERT_EQ(via.size(), 4);
        EXPECT_EQ(via[0].toStdString(), TextIn(1, "SIP_1Via0"));
        EXPECT_EQ(via[1].toStdString(), TextIn(1, "SIP_1Via1"));
        EXPECT_EQ(via[2].toStdString(), TextIn(0, "SIP_1Via2"));  // WAN and LAN/VPN stay
        EXPECT_EQ(via[3].toStdString(), TextIn(0, "SIP_1Via3"));
        EXPECT_EQ(m_page->Port1ViaList()->currentIndex(), 2);
        EXPECT_EQ(Items(m_page->Port1ExpiryList()), Texts(1, "SIP_1Time", 0, 9));
        EXPECT_EQ(Items(m_page->Port2ExpiryList()), Texts(1, "SIP_2Time", 0, 9));
        EXPECT_EQ(m_page->Port1ExpiryList()->currentIndex(), 7);
        EXPECT_EQ(m_page->Port2ExpiryList()->currentIndex(), 1);
        EXPECT_EQ(m_page->UseRegistrarBox()->text(), "Use Rigistrar");
        EXPECT_EQ(m_sip.SipRowText(), row);
    }
    // Two-port: the expiry lists come back in the eight-entry form of the new language.
    Fetch(true);
    m_page->Port1ExpiryList()->setCurrentIndex(4);
    m_page->Recaption();
    EXPECT_EQ(Items(m_page->Port1ExpiryList()), Texts(0, "SIP_1Time", 2, 9));
    EXPECT_EQ(m_page->Port1ExpiryList()->currentIndex(), 4);
    EXPECT_EQ(m_page->Port1UserNameLabel()->text().toStdString(), TextIn(0, "SIP_UserName1"));
}

TEST_F(SipPageTest, SaveAsWritesTheSipFile) {
    Fetch(true);
    Retype(m_page->Port1PasswordBox(), "changed");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedChooser chooser;
    m_page->SetSaveFileChooser(chooser.Get());
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Cancelled);

    SipSettings expected = m_sip;
    const std::string bytes = SipFileText(expected);
    chooser.answer = dir.filePath(QStringLiteral("sip.csv"));
    QTest::mouseClick(m_page->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(chooser.asked, 2);
    EXPECT_EQ(FileBytes(*chooser.answer), bytes);
    EXPECT_EQ(bytes, "5062,10.0.0.254,1,alice,changed,2,3,bob,pw2,7\r\n\r\n;SIP\r\n");
    EXPECT_TRUE(m_port.shown.empty());

    chooser.answer = testing::UnwritablePath(dir);
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Failed);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_SaveFail"));
}

}  // namespace
}  // namespace dezadav
