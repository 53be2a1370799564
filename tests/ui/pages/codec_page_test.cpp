#include "ui/pages/codec_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
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

class CodecPageTest : public ::testing::Test {
protected:
    void SetUp() override { m_page = std::make_unique<CCodecPage>(m_codec, ProcessLanguageTable(), m_port); }

    int CheckedMode() const {
        int checked = -1;
        for (int mode = 0; mode < 3; ++mode) {
            if (m_page->ModeButton(mode)->isChecked()) {
                if (checked != -1) return -2;  // more than one
                checked = mode;
            }
        }
        return checked;
    }

    testing::EnglishLoaded m_english;
    CodecSettings m_codec{ProcessLanguageTable()};
    RecordingMessagePort m_port;
    std::unique_ptr<CCodecPage> m_page;
};

TEST_F(CodecPageTest, StartsWithTheDefaults) {
    EXPECT_EQ(Items(m_page->CodecList()), Texts(0, "Codec_Codec", 1, 5));
    EXPECT_EQ(m_page->CodecList()->currentIndex(), 2);
    EXPECT_EQ(Items(m_page->PacketSizeList()), Texts(0, "Codec_Size", 1, 6));
    EXPECT_EQ(m_page->PacketSizeList()->currentIndex(), 1);
    EXPECT_EQ(CheckedMode(), 0);
    EXPECT_EQ(m_page->PayloadBox()->text(), "101");
    EXPECT_EQ(m_page->StartBox()->text(), "10050");
    EXPECT_EQ(m_page->EndBox()->text(), "15000");
    EXPECT_EQ(m_page->ModeButton(2)->text().toStdString(), TextIn(0, "Codec_SIPInfo"));
    EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(0, "Button_Save"));
    EXPECT_EQ(m_page->ModeButton(3), nullptr);
}

TEST_F(CodecPageTest, FetchedAndTrimmedValuesAreShown) {
    m_codec.LimitCodecChoicesToOnePort();
    ASSERT_TRUE(m_codec.ParseRtpOutput("type = 0\n\rsize = 3\n\r> \n\r", RtpOutputKind::Codec));
    ASSERT_TRUE(m_codec.ParseRtpOutput("mode: 2\n\rtype: 100\n\r> \n\r", RtpOutputKind::Dtmf));
    ASSERT_TRUE(
        m_codec.ParseRtpOutput("start port: 20000\n\rend port: 20100\n\r> \n\r", RtpOutputKind::PortRange));
    m_page->ShowModel();
    EXPECT_EQ(Items(m_page->CodecList()), Texts(0, "Codec_Codec", 1, 3));
    EXPECT_EQ(m_page->CodecList()->currentIndex(), 0);
    EXPECT_EQ(m_page->PacketSizeList()->currentIndex(), 3);
    EXPECT_EQ(CheckedMode(), 2);
    EXPECT_EQ(m_page->PayloadBox()->text(), "100");
    EXPECT_EQ(m_page->StartBox()->text(), "20000");
    EXPECT_EQ(m_page->EndBox()->text(), "20100");

    // A codec number beyond the trimmed list leaves it without selection.
    ASSERT_TRUE(m_codec.ParseRtpOutput("type = 4\n\r> \n\r", RtpOutputKind::Codec));
    m_page->ShowModel();
    EXPECT_EQ(m_page->CodecList()->currentIndex(), -1);
}

TEST_F(CodecPageTest, EditsGoStraightIntoTheRow) {
    m_page->CodecList()->setCurrentIndex(4);
    m_page->PacketSizeList()->setCurrentIndex(5);
    QTest::mouseClick(m_page->ModeButton(1), Qt::LeftButton, {},
                      QPoint(6, m_page->ModeButton(1)->height() / 2));
    Retype(m_page->StartBox(), "2x0-0");  // digits only
    Retype(m_page->EndBox(), "30a0");
    Retype(m_page->PayloadBox(), "1b2c0");
    EXPECT_EQ(m_page->StartBox()->text(), "200");
    EXPECT_EQ(m_codec.CodecRowText(true), "4,5,1,120,200,300\r\n");
    EXPECT_EQ(CheckedMode(), 1);

    // A loaded row selects its buttons and lists; an unknown DTMF number leaves them.
    const std::string file =
        TextIn(0, "Codec_Codec2") + "," + TextIn(0, "Codec_Size1") + ",2,99,1,2\r\n\r\n;END\r\n";
    ASSERT_TRUE(LoadCodecSection(m_codec, file, 0, file.find(";END")));
    m_page->ShowModel();
    EXPECT_EQ(m_page->CodecList()->currentIndex(), 1);
    EXPECT_EQ(m_page->PacketSizeList()->currentIndex(), 0);
    EXPECT_EQ(CheckedMode(), 2);
    EXPECT_EQ(m_page->PayloadBox()->text(), "99");
    m_codec.LoadCodecField(CodecField::DtmfMode, "7");
    m_page->ShowModel();
    EXPECT_EQ(CheckedMode(), 2);
}

TEST_F(CodecPageTest, ADigitsBoxHoldingOtherCharactersFromAFileStaysEditable) {
    m_codec.SetRtpPortStart("*12");  // as a file may hold it
    m_page->ShowModel();
    QLineEdit* box = m_page->StartBox();
    ASSERT_EQ(box->text(), "*12");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, QStringLiteral("a3"));  // the letter is refused, the digit taken
    EXPECT_EQ(box->text(), "*123");
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, QStringLiteral("#9"));
    EXPECT_EQ(box->text(), "9123");
    EXPECT_EQ(m_codec.RtpPortStart(), "9123");
}

TEST_F(CodecPageTest, PayloadIsCheckedWhenTheBoxLosesTheFocus) {
    ASSERT_TRUE(testing::ShowActive(*m_page));
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"95", false},
                 {"96", true},
                 {"127", true},
                 {"128", false},
                 {"", false},
                 {"0096", true},
                 {"99999999999999999999", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_port.shown.clear();
        m_page->PayloadBox()->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(m_page->PayloadBox()->hasFocus());
        Retype(m_page->PayloadBox(), QString::fromLatin1(c.typed));
        m_page->StartBox()->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        if (c.accepted) {
            EXPECT_TRUE(m_port.shown.empty());
            EXPECT_EQ(m_page->PayloadBox()->text(), c.typed);
            EXPECT_EQ(m_codec.PayloadType(), c.typed);
            EXPECT_TRUE(m_page->StartBox()->hasFocus());
        } else {
            ASSERT_EQ(m_port.shown.size(), 1u);
            EXPECT_EQ(m_port.shown[0].caption, TextIn(0, "Message_Error"));
            EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_Payload"));
            // The text remembered when the row was last built comes back, and the focus with it.
            EXPECT_EQ(m_page->PayloadBox()->text(), "101");
            EXPECT_EQ(m_codec.PayloadType(), "101");
            EXPECT_TRUE(m_page->PayloadBox()->hasFocus());
        }
    }

    // After the texts were remembered (a save, an apply), its payload is the one restored.
    Retype(m_page->PayloadBox(), "110");
    m_codec.RememberPayloadType();
    Retype(m_page->PayloadBox(), "50");
    m_page->EndBox()->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_page->PayloadBox()->text(), "110");
}

TEST_F(CodecPageTest, RecaptionRefillsPacketSizesButNotCodecs) {
    m_codec.LimitCodecChoicesToOnePort();
    m_page->ShowModel();
    m_page->PacketSizeList()->setCurrentIndex(4);
    const QStringList codecs = Items(m_page->CodecList());
    {
        LanguageSwitch chinese(2);
        m_page->Recaption();
        EXPECT_EQ(Items(m_page->PacketSizeList()), Texts(2, "Codec_Size", 1, 6));
        EXPECT_EQ(m_page->PacketSizeList()->currentIndex(), 4);
        EXPECT_EQ(Items(m_page->CodecList()), codecs);
        EXPECT_EQ(m_page->CodecList()->currentIndex(), 2);
        EXPECT_EQ(m_page->ModeButton(0)->text().toStdString(), TextIn(2, "Codec_InBand"));
        EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(2, "Button_Save"));
        EXPECT_EQ(m_codec.CodecRowText(true), "2,4,0,101,10050,15000\r\n");
    }
}

TEST_F(CodecPageTest, SaveAsWritesTheCodecFile) {
    m_page->CodecList()->setCurrentIndex(3);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedChooser chooser;
    m_page->SetSaveFileChooser(chooser.Get());
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Cancelled);

    CodecSettings expected = m_codec;
    const std::string bytes = CodecFileText(expected);
    chooser.answer = dir.filePath(QStringLiteral("codec.csv"));
    QTest::mouseClick(m_page->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(FileBytes(*chooser.answer), bytes);
    EXPECT_EQ(bytes, TextIn(0, "Codec_Codec4") + "," + TextIn(0, "Codec_Size2") +
                         ",0,101,10050,15000\r\n\r\n;END\r\n");
    EXPECT_TRUE(m_port.shown.empty());

    chooser.answer = testing::UnwritablePath(dir);
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Failed);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_SaveFail"));
}

}  // namespace
}  // namespace dezadav
