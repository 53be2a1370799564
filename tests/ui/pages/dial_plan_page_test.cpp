#include "ui/pages/dial_plan_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "page_test_support.h"
#include "settings/settings_file.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"
#include "ui/pages/index_info_dlg.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::FileBytes;
using testing::LanguageSwitch;
using testing::RecordingMessagePort;
using testing::Retype;
using testing::ScriptedChooser;
using testing::TextIn;

DialPlanEntry Entry(const std::string& phone, const std::string& name, const std::string& sip,
                    const std::string& loop, const std::string& backup, const std::string& status) {
    DialPlanEntry e;
    e.phoneNumber = phone;
    e.name = name;
    e.sipAddress = sip;
    e.loopThrough = loop;
    e.backupNumber = backup;
    e.statusMark = status;
    return e;
}

class DialPlanPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadBuiltinEnglish(nullptr);
        m_table.SetEntry(0, Entry("100", "Ann", "ann@10.0.0.1", "ISDN", "555", "V"));
        m_table.SetEntry(2, Entry("300", "", "office.example", "PSTN", "", "-"));
        m_table.SetEntry(4, Entry("500", "Bob, Jr", "p5@sip.example", "None", "777", "V"));
        m_table.SetEntry(59, Entry("6000", "", "last@h", "ISDN", "1", "V"));
        m_table.MarkChangesApplied();
        m_page = std::make_unique<CDialPlanPage>(m_table, ProcessLanguageTable(), m_port);
        m_page->SetModelNameSource([this] { return m_model; });
    }

    QString Cell(int row, int column) const { return m_page->List()->item(row, column)->text(); }
    int Width(int column) const { return m_page->List()->horizontalHeader()->sectionSize(column); }
    std::vector<int> Widths() const {
        std::vector<int> w;
        for (int c = 0; c < CDialPlanPage::kColumnCount; ++c) w.push_back(Width(c));
        return w;
    }
    QString Header(int column) const { return m_page->List()->horizontalHeaderItem(column)->text(); }

    // Every cell of the list equals the table.
    void ExpectListShowsTable() const {
        for (int row = 0; row < kDialPlanEntryCount; ++row) {
            const DialPlanEntry& e = m_table.Entry(row);
            const std::string cells[] = {e.index,       e.phoneNumber,  e.name,      e.sipAddress,
                                         e.loopThrough, e.backupNumber, e.statusMark};
            for (int column = 0; column < CDialPlanPage::kColumnCount; ++column) {
                ASSERT_EQ(Cell(row, column).toStdString(), cells[column])
                    << "row " << row << " column " << column;
            }
        }
    }

    // Selects `row` and runs the edit with `script` acting in the dialog; returns whether the dialog
    // was run at all.
    bool EditRow(int row, const std::function<int(CIndexInfoDlg&)>& script) {
        bool ran = false;
        m_page->SetDialogRunner([&](CIndexInfoDlg& dialog) {
            ran = true;
            dialog.show();
            const int result = script(dialog);
            dialog.hide();
            return result;
        });
        if (row >= 0) m_page->List()->selectRow(row);
        m_page->EditSelectedEntry();
        return ran;
    }

    // A click on the box's indicator, where a user clicks it.
    static void ClickEnable(CIndexInfoDlg& dialog) {
        QCheckBox* box = dialog.EnableBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    static int ClickOk(CIndexInfoDlg& dialog) {
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        return dialog.result();
    }

    DialPlanTable m_table;
    RecordingMessagePort m_port;
    std::string m_model;
    std::unique_ptr<CDialPlanPage> m_page;
};

TEST_F(DialPlanPageTest, ListShowsEverySixtyEntriesWithTheirSevenCells) {
    ASSERT_EQ(m_page->List()->rowCount(), 60);
    ASSERT_EQ(m_page->List()->columnCount(), 7);
    ExpectListShowsTable();
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(59, 0), "60");
    EXPECT_EQ(Cell(1, 6), "-");
    EXPECT_EQ(Header(0), "No.");
    EXPECT_EQ(Header(1).toStdString(), TextIn(0, "DialPlan_Phone"));
    EXPECT_EQ(Header(6).toStdString(), TextIn(0, "DialPlan_Status"));
    EXPECT_EQ(Widths(), (std::vector<int>{50, 110, 0, 145, 140, 150, 55}));
    for (int row = 0; row < 60; ++row) EXPECT_FALSE(m_page->IsRowChecked(row));
    EXPECT_EQ(m_page->ClearAllButton()->text().toStdString(), TextIn(0, "Button_ClearAll"));
    EXPECT_EQ(m_page->ClearSelectedButton()->text().toStdString(), TextIn(0, "Button_ClearSel"));
    EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(0, "Button_Save"));
}

TEST_F(DialPlanPageTest, ColumnWidthsFollowTheRouterForm) {
    m_page->SetTwoPort(true);
    EXPECT_EQ(Widths(), (std::vector<int>{50, 110, 0, 145, 0, 0, 100}));
    m_page->SetTwoPort(false);
    EXPECT_EQ(Widths(), (std::vector<int>{50, 110, 0, 145, 140, 150, 55}));

    // A language switch reads the Model field: two-port widens the SIP column to 150.
    m_model = "DZV-R5730K";
    m_page->Recaption();
    EXPECT_EQ(Widths(), (std::vector<int>{50, 110, 0, 150, 0, 0, 100}));
    m_model = "DZV-R5830K";
    m_page->Recaption();
    EXPECT_EQ(Widths(), (std::vector<int>{50, 110, 0, 145, 140, 150, 55}));
}

TEST_F(DialPlanPageTest, ListMirrorsAFetchedListingOfEitherForm) {
    const std::string oneport =
        "\n\r              1 active\n\r"
        "                          phone: 2001\n\r"
        "      port\n\r"
        "         example.org\n\r"
        "      2\n\r"
        "               42\n\r> ";
    ASSERT_TRUE(m_table.FillFromListing(oneport, false, ProcessLanguageTable()));
    m_page->SetTwoPort(false);
    m_page->ShowModel();
    ExpectListShowsTable();
    EXPECT_EQ(Cell(4, 1), "");  // entries not listed were cleared
}

TEST_F(DialPlanPageTest, ClearSelectedWithoutChecksChangesNothing) {
    const DialPlanTable before = m_table;
    m_page->List()->selectRow(0);  // a selected row is no checked row
    QTest::mouseClick(m_page->ClearSelectedButton(), Qt::LeftButton);
    EXPECT_EQ(m_table, before);
    EXPECT_TRUE(m_table.ChangedEntries().empty());
    ExpectListShowsTable();
}

TEST_F(DialPlanPageTest, ClearSelectedClearsOnlyTheCheckedEntriesAndTheirBoxes) {
    m_page->List()->item(0, 0)->setCheckState(Qt::Checked);
    m_page->List()->item(4, 0)->setCheckState(Qt::Checked);
    m_page->List()->item(7, 0)->setCheckState(Qt::Checked);  // an empty entry is cleared too
    QTest::mouseClick(m_page->ClearSelectedButton(), Qt::LeftButton);

    for (int row : {0, 4, 7}) {
        EXPECT_TRUE(m_table.IsChanged(row)) << row;
        EXPECT_EQ(m_table.Entry(row).RowText(), std::to_string(row + 1) + ",,,,,,-\r\n");
        EXPECT_FALSE(m_page->IsRowChecked(row)) << row;
    }
    for (int row : {2, 59}) {
        EXPECT_FALSE(m_table.IsChanged(row)) << row;
        EXPECT_FALSE(m_table.Entry(row).phoneNumber.empty()) << row;
    }
    EXPECT_EQ(m_table.ChangedEntries().size(), 3u);
    ExpectListShowsTable();
}

TEST_F(DialPlanPageTest, ReadingTheRouterOrAFileUnchecksTheClearedRows) {
    // Rows 0 (in use) and 1 (empty) checked by the user, row 2 (in use) through the page.
    m_page->List()->item(0, 0)->setCheckState(Qt::Checked);
    m_page->List()->item(1, 0)->setCheckState(Qt::Checked);
    m_page->SetRowChecked(2, true);

    // A file section clears the entries in use, and their boxes with them; the empty entry's box
    // stays as the user left it.
    const std::string section = "5,55,,e@f,None,,V\r\n";
    ASSERT_TRUE(m_table.FillFromFileSection(section, 0, section.size()));
    m_page->ShowModel();
    EXPECT_FALSE(m_page->IsRowChecked(0));
    EXPECT_TRUE(m_page->IsRowChecked(1));
    EXPECT_FALSE(m_page->IsRowChecked(2));
    EXPECT_EQ(m_page->List()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(m_page->List()->item(1, 0)->checkState(), Qt::Checked);

    // A fetched listing clears every entry: no box stays checked, so Clear Selected then clears
    // nothing the user did not check after the fetch.
    m_page->List()->item(59, 0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(m_table.FillFromListing("\n\r> ", false, ProcessLanguageTable()));
    m_page->ShowModel();
    for (int row = 0; row < kDialPlanEntryCount; ++row) {
        EXPECT_FALSE(m_page->IsRowChecked(row)) << row;
        EXPECT_EQ(m_page->List()->item(row, 0)->checkState(), Qt::Unchecked) << row;
    }
    QTest::mouseClick(m_page->ClearSelectedButton(), Qt::LeftButton);
    EXPECT_TRUE(m_table.ChangedEntries().empty());
}

TEST_F(DialPlanPageTest, ClearAllClearsEveryEntryAndEveryBox) {
    m_page->SetRowChecked(2, true);
    QTest::mouseClick(m_page->ClearAllButton(), Qt::LeftButton);
    for (int row = 0; row < 60; ++row) {
        EXPECT_TRUE(m_table.IsChanged(row)) << row;
        EXPECT_EQ(m_table.Entry(row).RowText(), std::to_string(row + 1) + ",,,,,,-\r\n");
        EXPECT_FALSE(m_page->IsRowChecked(row)) << row;
    }
    ExpectListShowsTable();
}

TEST_F(DialPlanPageTest, DialogStartsFromTheRow) {
    IndexInfoFields seen;
    bool loopVisible = true;
    QString loopChosen;
    ASSERT_TRUE(EditRow(4, [&](CIndexInfoDlg& dialog) {
        seen = dialog.Fields();
        loopVisible = !dialog.LoopThroughList()->isHidden();
        loopChosen = dialog.LoopThroughList()->currentText();
        EXPECT_EQ(dialog.GroupBox()->title().toStdString(), TextIn(0, "Index_Group") + "5");
        EXPECT_TRUE(dialog.EnableBox()->isChecked());
        EXPECT_EQ(dialog.PhoneBox()->text(), "500");
        EXPECT_EQ(dialog.PortNameBox()->text(), "p5");
        EXPECT_EQ(dialog.DomainBox()->text(), "sip.example");
        EXPECT_EQ(dialog.BackupBox()->text(), "777");
        EXPECT_EQ(dialog.LoopThroughList()->count(), 3);
        return static_cast<int>(QDialog::Rejected);
    }));
    EXPECT_TRUE(loopVisible);
    EXPECT_EQ(loopChosen.toStdString(), TextIn(0, "Index_Loop3"));
    EXPECT_EQ(seen.groupTitle, "Index No. 5");

    // A SIP text without "@" is all domain; a disabled entry starts with its controls disabled.
    ASSERT_TRUE(EditRow(2, [&](CIndexInfoDlg& dialog) {
        EXPECT_EQ(dialog.PortNameBox()->text(), "");
        EXPECT_EQ(dialog.DomainBox()->text(), "office.example");
        EXPECT_FALSE(dialog.EnableBox()->isChecked());
        EXPECT_FALSE(dialog.PhoneBox()->isEnabled());
        EXPECT_FALSE(dialog.DomainBox()->isEnabled());
        EXPECT_FALSE(dialog.BackupBox()->isEnabled());
        EXPECT_EQ(dialog.LoopThroughList()->currentIndex(), 1);  // PSTN
        return static_cast<int>(QDialog::Rejected);
    }));
}

TEST_F(DialPlanPageTest, DoubleClickEditsTheRowUnderTheMouse) {
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
    int runs = 0;
    std::string phone;
    m_page->SetDialogRunner([&](CIndexInfoDlg& dialog) {
        ++runs;
        phone = dialog.PhoneBox()->text().toStdString();
        return static_cast<int>(QDialog::Rejected);
    });
    QTableWidget* list = m_page->List();
    const QRect cell = list->visualItemRect(list->item(2, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(phone, "300");
    // F2 does the same from the keyboard.
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_EQ(runs, 2);
}

TEST_F(DialPlanPageTest, RestingTheMouseOnARowSelectsIt) {
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
    QTableWidget* list = m_page->List();
    // A resting mouse holds no button (an earlier test's click may have left one pressed).
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    list->clearSelection();
    for (int row : {3, 1}) {
        QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(row, 1)).center());
        QCoreApplication::processEvents();
        const QModelIndexList selected = list->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1) << row;
        EXPECT_EQ(selected.constFirst().row(), row);
    }
}

TEST_F(DialPlanPageTest, EditWithoutSelectedRowDoesNothing) {
    m_page->List()->clearSelection();
    EXPECT_FALSE(EditRow(-1, [](CIndexInfoDlg&) { return static_cast<int>(QDialog::Accepted); }));
    EXPECT_TRUE(m_table.ChangedEntries().empty());
}

TEST_F(DialPlanPageTest, TheFirstOfSeveralSelectedRowsIsEdited) {
    QTableWidget* list = m_page->List();
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->selectRow(59);
    list->selectRow(2);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    std::string phone;
    EXPECT_TRUE(EditRow(-1, [&](CIndexInfoDlg& dialog) {
        phone = dialog.PhoneBox()->text().toStdString();
        return static_cast<int>(QDialog::Rejected);
    }));
    EXPECT_EQ(phone, "300");
}

TEST_F(DialPlanPageTest, OkWritesTheEditBackAndMarksTheEntry) {
    ASSERT_TRUE(EditRow(4, [](CIndexInfoDlg& dialog) {
        Retype(dialog.PhoneBox(), "5x1-2");  // only digits are taken
        Retype(dialog.PortNameBox(), "desk");
        Retype(dialog.DomainBox(), "10.1.1.9");
        dialog.LoopThroughList()->setCurrentIndex(0);
        Retype(dialog.BackupBox(), "9a9");
        return ClickOk(dialog);
    }));
    EXPECT_TRUE(m_table.IsChanged(4));
    EXPECT_EQ(m_table.Entry(4).RowText(),
              "5,512,\"Bob, Jr\",desk@10.1.1.9," + TextIn(0, "Index_Loop1") + ",99,V\r\n");
    EXPECT_EQ(m_table.ChangedEntries().size(), 1u);
    ExpectListShowsTable();
    EXPECT_TRUE(m_port.shown.empty());

    // Cancel changes nothing.
    const DialPlanTable before = m_table;
    ASSERT_TRUE(EditRow(0, [](CIndexInfoDlg& dialog) {
        Retype(dialog.PhoneBox(), "1");
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        return dialog.result();
    }));
    EXPECT_EQ(m_table, before);
}

TEST_F(DialPlanPageTest, EmptyPortNameGivesTheDomainAloneAndEmptyDomainEmptiesTheLine) {
    ASSERT_TRUE(EditRow(0, [](CIndexInfoDlg& dialog) {
        Retype(dialog.PortNameBox(), "");
        return ClickOk(dialog);
    }));
    EXPECT_EQ(m_table.Entry(0).sipAddress, "10.0.0.1");
    EXPECT_EQ(m_table.Entry(0).loopThrough, TextIn(0, "Index_Loop1"));

    // A disabled entry may lose its domain: SIP address, loop-through and backup go with it.
    ASSERT_TRUE(EditRow(0, [](CIndexInfoDlg& dialog) {
        ClickEnable(dialog);
        EXPECT_FALSE(dialog.PhoneBox()->isEnabled());
        dialog.DomainBox()->clear();
        return ClickOk(dialog);
    }));
    EXPECT_EQ(m_table.Entry(0).RowText(), "1,100,Ann,,,,-\r\n");
}

TEST_F(DialPlanPageTest, BlankPhoneOrDomainOnAnEnabledEntryIsRefusedWithTheWarning) {
    const DialPlanTable before = m_table;
    for (QLineEdit* (CIndexInfoDlg::*box)() const : {&CIndexInfoDlg::PhoneBox, &CIndexInfoDlg::DomainBox}) {
        m_port.shown.clear();
        bool stillOpen = false;
        ASSERT_TRUE(EditRow(0, [&](CIndexInfoDlg& dialog) {
            (dialog.*box)()->clear();
            const int result = ClickOk(dialog);
            stillOpen = dialog.isVisible() && result != QDialog::Accepted;
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
            return dialog.result();
        }));
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(m_port.shown.size(), 1u);
        EXPECT_EQ(m_port.shown[0].caption, TextIn(0, "Message_Warn"));
        EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_Empty"));
        EXPECT_EQ(m_table, before);
    }
}

TEST_F(DialPlanPageTest, DisabledEntryWithoutPhoneAndAddressLosesLoopAndBackup) {
    ASSERT_TRUE(EditRow(0, [](CIndexInfoDlg& dialog) {
        dialog.PhoneBox()->clear();
        dialog.PortNameBox()->clear();
        dialog.DomainBox()->clear();
        ClickEnable(dialog);
        return ClickOk(dialog);
    }));
    EXPECT_TRUE(m_port.shown.empty());
    EXPECT_TRUE(m_table.IsChanged(0));
    EXPECT_EQ(m_table.Entry(0).RowText(), "1,,Ann,,,,-\r\n");
    ExpectListShowsTable();

    // An empty entry switched on and filled becomes enabled.
    ASSERT_TRUE(EditRow(9, [](CIndexInfoDlg& dialog) {
        ClickEnable(dialog);
        EXPECT_TRUE(dialog.BackupBox()->isEnabled());
        QTest::keyClicks(dialog.PhoneBox(), "10");
        QTest::keyClicks(dialog.DomainBox(), "h");
        return ClickOk(dialog);
    }));
    EXPECT_EQ(m_table.Entry(9).RowText(), "10,10,,h," + TextIn(0, "Index_Loop3") + ",,V\r\n");
}

TEST_F(DialPlanPageTest, TwoPortDialogHidesLoopThroughAndBackup) {
    m_model = "DZV-R5730K";
    ASSERT_TRUE(EditRow(2, [](CIndexInfoDlg& dialog) {
        for (QWidget* w : std::initializer_list<QWidget*>{dialog.LoopThroughLabel(), dialog.LoopThroughList(),
                                                          dialog.BackupLabel(), dialog.BackupBox(),
                                                          dialog.BackupNote(), dialog.LoopHelpNote()}) {
            EXPECT_TRUE(w->isHidden());
        }
        ClickEnable(dialog);
        EXPECT_TRUE(dialog.PhoneBox()->isEnabled());
        EXPECT_TRUE(dialog.DomainBox()->isEnabled());
        EXPECT_FALSE(dialog.LoopThroughList()->isEnabled());
        EXPECT_FALSE(dialog.BackupBox()->isEnabled());
        return ClickOk(dialog);
    }));
    EXPECT_EQ(m_table.Entry(2).statusMark, "V");

    m_model = "DZV-R5830K";
    ASSERT_TRUE(EditRow(2, [](CIndexInfoDlg& dialog) {
        EXPECT_FALSE(dialog.LoopThroughList()->isHidden());
        EXPECT_FALSE(dialog.BackupBox()->isHidden());
        return static_cast<int>(QDialog::Rejected);
    }));
}

TEST_F(DialPlanPageTest, RecaptionKeepsEveryCellAndRelabels) {
    ASSERT_TRUE(EditRow(2, [](CIndexInfoDlg& dialog) {
        dialog.LoopThroughList()->setCurrentIndex(0);
        return ClickOk(dialog);
    }));
    m_page->SetRowChecked(4, true);
    const std::string isdn = TextIn(0, "Index_Loop1");
    const QString nameHeader = Header(2);
    {
        LanguageSwitch chinese(1);
        m_page->Recaption();
        ExpectListShowsTable();
        EXPECT_EQ(Cell(2, 4).toStdString(), isdn);  // the previous language's word stays
        EXPECT_TRUE(m_page->IsRowChecked(4));
        EXPECT_EQ(Header(0), "No.");
        EXPECT_EQ(Header(2), nameHeader);
        EXPECT_EQ(Header(1).toStdString(), TextIn(1, "DialPlan_Phone"));
        EXPECT_EQ(Header(3).toStdString(), TextIn(1, "DialPlan_SIP"));
        EXPECT_EQ(Header(6).toStdString(), TextIn(1, "DialPlan_Status"));
        EXPECT_NE(Header(1).toStdString(), TextIn(0, "DialPlan_Phone"));
        EXPECT_EQ(m_page->ClearSelectedButton()->text().toStdString(), TextIn(1, "Button_ClearSel"));

        // The dialog opened now speaks the new language.
        ASSERT_TRUE(EditRow(2, [](CIndexInfoDlg& dialog) {
            EXPECT_EQ(dialog.windowTitle().toStdString(), TextIn(1, "Index_Title"));
            EXPECT_EQ(dialog.GroupBox()->title().toStdString(), TextIn(1, "Index_Group") + "3");
            return static_cast<int>(QDialog::Rejected);
        }));
    }
}

TEST_F(DialPlanPageTest, SaveAsWritesTheDialPlanFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedChooser chooser;
    m_page->SetSaveFileChooser(chooser.Get());

    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Cancelled);
    EXPECT_EQ(chooser.asked, 1);

    const QString path = dir.filePath(QStringLiteral("plan.csv"));
    chooser.answer = path;
    QTest::mouseClick(m_page->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(chooser.asked, 2);
    const auto bytes = FileBytes(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, DialPlanFileText(m_table));
    EXPECT_NE(bytes->find("5,500,\"Bob, Jr\",p5@sip.example,None,777,V\r\n"), std::string::npos);
    EXPECT_TRUE(m_port.shown.empty());

    // Saving again over the file replaces it whole.
    m_table.ClearEntry(0);
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path), DialPlanFileText(m_table));

    chooser.answer = testing::UnwritablePath(dir);
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Failed);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_SaveFail"));
    EXPECT_EQ(m_port.shown[0].caption, TextIn(0, "Message_Error"));
}

}  // namespace
}  // namespace dezadav
