#include "ui/pages/log_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "page_test_support.h"
#include "settings/settings_file.h"
#include "support/process_language.h"
#include "support/recording_message_port.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::FileBytes;
using testing::LanguageSwitch;
using testing::RecordingMessagePort;
using testing::ScriptedChooser;
using testing::TextIn;

// The output of "voip sip calllog" holding `lines` as records 1.. and empty slots up to ten.
std::string RouterLog(const std::vector<std::string>& lines) {
    std::string text = "\n\r";
    int number = 1;
    for (const std::string& line : lines) text += "No." + std::to_string(number++) + "  " + line + "\n\r";
    for (; number <= 10; ++number)
        text += "No." + std::to_string(number) + "  00-00-    0  00:00:00  0  -  \n\r";
    return text + "> \n\r";
}

class LogPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadBuiltinEnglish(nullptr);
        m_page = std::make_unique<CLOGPage>(m_table, ProcessLanguageTable(), m_port);
    }

    QString Cell(int row, int column) const { return m_page->List()->item(row, column)->text(); }

    void ExpectListShowsTable() const {
        ASSERT_EQ(m_page->List()->rowCount(), static_cast<int>(m_table.Rows().size()));
        for (int row = 0; row < m_page->List()->rowCount(); ++row) {
            const CallLogRecord& r = m_table.Rows()[static_cast<std::size_t>(row)];
            const std::string cells[] = {r.number, r.date, r.time, r.duration, r.direction, r.address};
            for (int column = 0; column < 6; ++column) {
                ASSERT_EQ(Cell(row, column).toStdString(), cells[column]) << row << "," << column;
            }
        }
    }

    void ClickAutoRefresh() {
        QCheckBox* box = m_page->AutoRefreshBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    CallLogTable m_table;
    RecordingMessagePort m_port;
    std::unique_ptr<CLOGPage> m_page;
};

TEST_F(LogPageTest, StartsWithTenPlaceholderRowsAndThirtySeconds) {
    ASSERT_EQ(m_page->List()->columnCount(), 6);
    ASSERT_EQ(m_page->List()->rowCount(), 10);
    ExpectListShowsTable();
    EXPECT_EQ(Cell(9, 0), "No.10");
    EXPECT_EQ(Cell(0, 1), "00-00-    0");
    const int widths[] = {60, 130, 130, 110, 70, 160};
    const char* keys[] = {"Log_Index", "Log_Date", "Log_Time", "Log_Duration", "Log_Direct", "Log_IPAddress"};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(m_page->List()->horizontalHeader()->sectionSize(column), widths[column]);
        EXPECT_EQ(m_page->List()->horizontalHeaderItem(column)->text().toStdString(),
                  TextIn(0, keys[column]));
    }
    ASSERT_EQ(m_page->RefreshList()->count(), 7);
    EXPECT_EQ(m_page->RefreshList()->itemText(6).toStdString(), TextIn(0, "Log_Second7"));
    EXPECT_EQ(m_page->RefreshList()->currentIndex(), 1);
    EXPECT_EQ(m_page->RefreshSeconds(), 30);
    EXPECT_FALSE(m_page->AutoRefresh());
    EXPECT_FALSE(m_page->AutoRefreshBox()->isChecked());
    EXPECT_TRUE(m_page->AutoRefreshBox()->isEnabled());
    EXPECT_TRUE(m_page->RefreshList()->isEnabled());
    EXPECT_EQ(m_page->AutoRefreshBox()->text().toStdString(), TextIn(0, "Log_AutoRefresh"));
    EXPECT_EQ(m_page->ClearAllButton()->text().toStdString(), TextIn(0, "Button_ClearAll"));
}

TEST_F(LogPageTest, AutoRefreshBoxTellsTheMainWindowEveryChange) {
    QSignalSpy spy(m_page.get(), &CLOGPage::autoRefreshChanged);
    ClickAutoRefresh();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.takeFirst().at(0).toBool());
    EXPECT_TRUE(m_page->AutoRefresh());
    EXPECT_TRUE(m_page->RefreshLabel()->isEnabled());
    EXPECT_TRUE(m_page->RefreshList()->isEnabled());

    ClickAutoRefresh();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_FALSE(m_page->AutoRefresh());
    EXPECT_FALSE(m_page->RefreshLabel()->isEnabled());
    EXPECT_FALSE(m_page->RefreshList()->isEnabled());

    // EnableAutoRefresh: the box follows the call, the rest as after a click.
    m_page->EnableAutoRefresh(false);
    EXPECT_FALSE(m_page->AutoRefreshBox()->isEnabled());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    m_page->EnableAutoRefresh(true);
    EXPECT_TRUE(m_page->AutoRefreshBox()->isEnabled());
    ASSERT_EQ(spy.count(), 1);

    // Mirroring the workflow's state sends nothing back.
    m_page->ShowAutoRefresh(true, true);
    EXPECT_TRUE(m_page->AutoRefreshBox()->isChecked());
    EXPECT_TRUE(m_page->RefreshList()->isEnabled());
    EXPECT_TRUE(m_page->AutoRefresh());
    m_page->ShowAutoRefresh(false, false);
    EXPECT_FALSE(m_page->AutoRefreshBox()->isEnabled());
    EXPECT_FALSE(m_page->RefreshLabel()->isEnabled());
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(LogPageTest, TheSignalDrivesATimerAsTheMainWindowDoes) {
    QTimer refresh;
    QObject::connect(m_page.get(), &CLOGPage::autoRefreshChanged, &refresh, [&](bool ticked) {
        if (ticked) {
            refresh.start(1000);
        } else {
            refresh.stop();
        }
    });
    ClickAutoRefresh();
    EXPECT_TRUE(refresh.isActive());
    EXPECT_EQ(refresh.interval(), 1000);
    ClickAutoRefresh();
    EXPECT_FALSE(refresh.isActive());
}

TEST_F(LogPageTest, RefreshChoiceSetsTheSecondsAndSurvivesALanguageChange) {
    QSignalSpy spy(m_page.get(), &CLOGPage::refreshSecondsChanged);
    const int expected[] = {10, 30, 60, 90, 120, 150, 180};
    for (int position = 6; position >= 0; --position) {
        m_page->RefreshList()->setCurrentIndex(position);
        EXPECT_EQ(m_page->RefreshSeconds(), expected[position]);
        ASSERT_FALSE(spy.isEmpty());
        EXPECT_EQ(spy.takeLast().at(0).toInt(), expected[position]);
    }
    m_page->RefreshList()->setCurrentIndex(3);
    spy.clear();
    {
        LanguageSwitch chinese(1);
        m_page->Recaption();
        EXPECT_EQ(m_page->RefreshList()->currentIndex(), 3);
        EXPECT_EQ(m_page->RefreshList()->currentText().toStdString(), TextIn(1, "Log_Second4"));
        EXPECT_EQ(m_page->RefreshSeconds(), 90);
        EXPECT_EQ(m_page->List()->horizontalHeaderItem(1)->text().toStdString(), TextIn(1, "Log_Date"));
        EXPECT_EQ(m_page->AutoRefreshBox()->text().toStdString(), TextIn(1, "Log_AutoRefresh"));
        EXPECT_EQ(m_page->SaveButton()->text().toStdString(), TextIn(1, "Button_Save"));
        ExpectListShowsTable();
    }
    EXPECT_TRUE(spy.isEmpty());
}

TEST_F(LogPageTest, MergedCallsAppearAtTheTopWithoutLosingRows) {
    ASSERT_TRUE(m_table.ParseCallLog(RouterLog(
        {"01-02-2024  10:00:00  35  OUT  10.0.0.9", "01-01-2024  09:00:00  7  IN  10.0.0.5 5060"})));
    m_page->ShowModel();
    ExpectListShowsTable();
    EXPECT_EQ(Cell(1, 5), "10.0.0.5 5060");

    m_table.MergeCallLog(
        RouterLog({"01-03-2024  11:11:11  12  OUT  10.0.0.7", "01-02-2024  10:00:00  35  OUT  10.0.0.9",
                   "01-01-2024  09:00:00  7  IN  10.0.0.5 5060"}));
    m_page->ShowModel();
    ExpectListShowsTable();
    EXPECT_EQ(m_page->List()->rowCount(), 10);
    EXPECT_EQ(Cell(0, 1), "01-03-2024");
    EXPECT_EQ(Cell(0, 0), "No.1");
    EXPECT_EQ(Cell(1, 1), "01-02-2024");
    EXPECT_EQ(Cell(2, 5), "10.0.0.5 5060");

    // Clear All: back to the placeholders, nothing else.
    QTest::mouseClick(m_page->ClearAllButton(), Qt::LeftButton);
    EXPECT_EQ(m_table, CallLogTable());
    ExpectListShowsTable();
}

TEST_F(LogPageTest, ListGrowsAndShrinksWithTheTable) {
    std::vector<std::string> calls;
    for (int i = 0; i < 10; ++i)
        calls.push_back("02-0" + std::to_string(i % 9 + 1) + "-2024  08:0" + std::to_string(i) +
                        ":00  1  OUT  h" + std::to_string(i));
    ASSERT_TRUE(m_table.ParseCallLog(RouterLog(calls)));
    m_table.MergeCallLog(RouterLog({"03-01-2024  12:00:00  3  OUT  new"}));
    m_page->ShowModel();
    EXPECT_EQ(m_page->List()->rowCount(), 11);
    ExpectListShowsTable();
    m_page->ClearAll();
    EXPECT_EQ(m_page->List()->rowCount(), 10);
    ExpectListShowsTable();
}

TEST_F(LogPageTest, SaveAsWritesTheLogSection) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedChooser chooser;
    m_page->SetSaveFileChooser(chooser.Get());
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Cancelled);

    // No record: the header lines only.
    chooser.answer = dir.filePath(QStringLiteral("empty.csv"));
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Saved);
    const std::string header = "\r\n;VoIP LOG\r\n\r\n" + std::string(kCallLogColumnComment) + "\r\n;" +
                               std::string(89, '=') + "\r\n";
    EXPECT_EQ(FileBytes(*chooser.answer), header);

    ASSERT_TRUE(m_table.ParseCallLog(RouterLog({"01-01-2024  09:00:00  7  IN  10.0.0.5 5060"})));
    m_page->ShowModel();
    chooser.answer = dir.filePath(QStringLiteral("log.csv"));
    QTest::mouseClick(m_page->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(FileBytes(*chooser.answer), CallLogFileText(m_table));
    EXPECT_EQ(
        FileBytes(*chooser.answer),
        header + "  No.1,     01-01-2024,       09:00:00,          7,            IN,      10.0.0.5 5060\r\n");
    EXPECT_TRUE(m_port.shown.empty());

    chooser.answer = testing::UnwritablePath(dir);
    EXPECT_EQ(m_page->SaveAs(), PageSaveOutcome::Failed);
    ASSERT_EQ(m_port.shown.size(), 1u);
    EXPECT_EQ(m_port.shown[0].text, TextIn(0, "Message_SaveFail"));
}

}  // namespace
}  // namespace dezadav
