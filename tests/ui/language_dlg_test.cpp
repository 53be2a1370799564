#include "ui/language_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "support/english_language.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"
#include "ui/language_choice.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

// The text a language's own file gives a key, read through a separate table.
QString FileText(int language, const char* key) {
    return QString::fromStdString(testing::ShippedEnglish(language).LookupText(key));
}

TEST(SystemLanguageRule, ChineseRegionsPickTheirScriptEverythingElseEnglish) {
    EXPECT_EQ(LanguageFromSystemId("0804"), 1);
    EXPECT_EQ(LanguageFromSystemId("0404"), 2);
    EXPECT_EQ(LanguageFromSystemId("0411"), 0);
    EXPECT_EQ(LanguageFromSystemId("0409"), 0);
    EXPECT_EQ(LanguageFromSystemId(""), 0);
    EXPECT_EQ(LanguageFromSystemId("00000804"), 1);

    const struct {
        const char* locale;
        int language;
    } cases[] = {{"zh_CN", 1}, {"zh_SG", 1}, {"zh_TW", 2}, {"zh_HK", 2}, {"zh_MO", 2},
                 {"en_US", 0}, {"ja_JP", 0}, {"de_DE", 0}, {"C", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageFromSystemId(SystemLanguageId(QLocale(QString::fromLatin1(c.locale)))), c.language)
            << c.locale;
    }
}

TEST(SystemLanguageRule, ProfileIsTheProgramsOwn) {
    const auto profile = OpenUserProfile();
    EXPECT_EQ(profile->organizationName(), QStringLiteral("Zezidez"));
    EXPECT_EQ(profile->applicationName(), QStringLiteral("Dezadav"));
}

class LanguageDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_profile = std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        LoadBuiltinEnglish(nullptr);
        m_choice = std::make_unique<LanguageChoice>(ProcessLanguageTable(), &m_port, m_profile.get());
        RelabelSteps steps;
        steps.mainWindow = [this] { m_steps.push_back("main"); };
        for (const char* page : {"dialplan", "sip", "codec", "log"}) {
            steps.pages.push_back([this, page] { m_steps.push_back(page); });
        }
        steps.titleAndTabs = [this] { m_steps.push_back("title"); };
        m_choice->SetRelabelSteps(std::move(steps));
    }

    void TearDown() override { LoadBuiltinEnglish(nullptr); }

    int Stored() {
        m_profile->sync();
        return m_profile->value(QStringLiteral("Settings/Language"), kNoStoredLanguage).toInt();
    }

    static QStringList ShownTexts(const CLanguageDlg& dialog) {
        QStringList texts{dialog.windowTitle()};
        for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
        return texts;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_profile;
    testing::RecordingMessagePort m_port;
    std::unique_ptr<LanguageChoice> m_choice;
    std::vector<std::string> m_steps;
};

TEST_F(LanguageDlgTest, DetectedChineseIsOfferedFirstAndOkSwitchesEverything) {
    EXPECT_EQ(m_choice->ReadLanguageChoice(QLocale(QStringLiteral("zh_CN"))), 1);
    // Nothing is stored until the user confirms, and the texts are still English.
    EXPECT_EQ(Stored(), kNoStoredLanguage);
    EXPECT_EQ(ProcessLanguageTable().LookupText("Button_OK"), "OK");

    CLanguageDlg dialog(*m_choice);
    QObject::connect(&dialog, &CLanguageDlg::Relabelled, [&] { m_steps.push_back("dialog"); });
    dialog.SetLanguageNumber(m_choice->CurrentLanguage());
    dialog.open();
    EXPECT_EQ(dialog.LanguageList()->count(), 3);
    EXPECT_EQ(dialog.LanguageList()->currentText(), QStringLiteral("简体中文"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Language"));
    EXPECT_EQ(dialog.ApplyButton()->text(), QStringLiteral("Apply"));
    m_steps.clear();

    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_steps.empty()) << "OK alone must not switch; the caller does";
    m_choice->SwitchLanguage(dialog.LanguageNumber());
    EXPECT_EQ(Stored(), 1);
    EXPECT_EQ(m_choice->CurrentLanguage(), 1);
    EXPECT_EQ(QString::fromStdString(ProcessLanguageTable().LookupText("Button_OK")), FileText(1, "Button_OK"));
    EXPECT_NE(FileText(1, "Button_OK"), QStringLiteral("OK"));
    const std::vector<std::string> order{"main", "dialplan", "sip", "codec", "log", "title"};
    EXPECT_EQ(m_steps, order);
}

TEST_F(LanguageDlgTest, ApplyThenCancelKeepsTheAppliedLanguage) {
    m_choice->ReadLanguageChoice(QLocale(QStringLiteral("en_US")));
    CLanguageDlg dialog(*m_choice);
    QObject::connect(&dialog, &CLanguageDlg::Relabelled, [&] { m_steps.push_back("dialog"); });
    dialog.SetLanguageNumber(m_choice->CurrentLanguage());
    dialog.open();
    EXPECT_EQ(dialog.LanguageList()->currentIndex(), 0);
    m_steps.clear();

    dialog.LanguageList()->setCurrentIndex(2);
    EXPECT_EQ(dialog.LanguageNumber(), 2);
    QTest::mouseClick(dialog.ApplyButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Stored(), 2);
    const std::vector<std::string> order{"main", "dialplan", "sip", "codec", "log", "dialog", "title"};
    EXPECT_EQ(m_steps, order);

    // The dialog's own captions are in the new language; the list names each language in its own.
    EXPECT_EQ(dialog.windowTitle(), FileText(2, "Language_Title"));
    EXPECT_EQ(dialog.OkButton()->text(), FileText(2, "Button_OK"));
    EXPECT_EQ(dialog.ApplyButton()->text(), FileText(2, "Language_Apply"));
    EXPECT_EQ(dialog.LanguageList()->itemText(1), QStringLiteral("简体中文"));
    for (const QString& text : ShownTexts(dialog)) EXPECT_NE(text, QStringLiteral("####"));

    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Stored(), 2);
    EXPECT_EQ(m_choice->CurrentLanguage(), 2);
    EXPECT_EQ(QString::fromStdString(ProcessLanguageTable().LookupText("Language_Title")),
              FileText(2, "Language_Title"));

    // Reopened, the list preselects the new language.
    dialog.SetLanguageNumber(m_choice->CurrentLanguage());
    dialog.open();
    EXPECT_EQ(dialog.LanguageList()->currentIndex(), 2);
    dialog.reject();
}

TEST_F(LanguageDlgTest, EveryLanguageListsTheLanguagesByTheirOwnNamesAndHasQtSpeakIt) {
    // What Qt's own message boxes call the Save button in each language.
    const struct {
        int language;
        const char* qtSave;
    } cases[] = {{1, "保存"}, {2, "儲存"}, {0, "Save"}};
    for (const auto& c : cases) {
        m_choice->SwitchLanguage(c.language);
        CLanguageDlg dialog(*m_choice);
        dialog.SetLanguageNumber(c.language);
        dialog.open();
        QStringList names;
        for (int i = 0; i < dialog.LanguageList()->count(); ++i) names << dialog.LanguageList()->itemText(i);
        EXPECT_EQ(names, (QStringList{QStringLiteral("English"), QStringLiteral("简体中文"),
                                      QStringLiteral("繁體中文")}))
            << c.language;
        dialog.reject();
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Save);
        EXPECT_EQ(box.button(QMessageBox::Save)->text().remove(QLatin1Char('&')), QString::fromUtf8(c.qtSave))
            << c.language;
    }
}

TEST_F(LanguageDlgTest, StoredChoiceWinsAndIsWrittenBackUnchanged) {
    m_profile->setValue(QStringLiteral("Settings/Language"), 2);
    EXPECT_EQ(m_choice->ReadLanguageChoice(QLocale(QStringLiteral("zh_CN"))), 2);
    CLanguageDlg dialog(*m_choice);
    dialog.SetLanguageNumber(m_choice->CurrentLanguage());
    dialog.open();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.LanguageNumber(), 2);
    m_choice->SwitchLanguage(dialog.LanguageNumber());
    EXPECT_EQ(Stored(), 2);

    // Back to English from Chinese: no Chinese text is left.
    m_choice->SwitchLanguage(0);
    EXPECT_EQ(ProcessLanguageTable().LookupText("Index_Loop3"), "None");
    EXPECT_EQ(Stored(), 0);
}

TEST_F(LanguageDlgTest, NumberOutsideTheListKeepsTheLastTexts) {
    m_profile->setValue(QStringLiteral("Settings/Language"), 7);
    EXPECT_EQ(m_choice->ReadLanguageChoice(), 7);
    m_choice->SwitchLanguage(1);
    CLanguageDlg dialog(*m_choice);
    dialog.SetLanguageNumber(7);
    dialog.open();
    EXPECT_EQ(dialog.LanguageList()->currentIndex(), -1);

    // Apply with nothing selected stores the no-selection value and keeps the Simplified Chinese texts.
    QTest::mouseClick(dialog.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(Stored(), -1);
    EXPECT_EQ(QString::fromStdString(ProcessLanguageTable().LookupText("Button_OK")), FileText(1, "Button_OK"));
    EXPECT_EQ(dialog.OkButton()->text(), FileText(1, "Button_OK"));
    EXPECT_TRUE(m_port.shown.empty());
    dialog.reject();
}

}  // namespace
}  // namespace dezadav
