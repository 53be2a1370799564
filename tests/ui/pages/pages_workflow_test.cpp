// The four pages hosted as the main window hosts them, driven through their widgets against the
// router emulator: an edit made on a page reaches the router through Apply and comes back with the
// next fetch.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "page_test_support.h"
#include "support/process_language.h"
#include "support/router_commands.h"
#include "support/workflow_harness.h"
#include "ui/pages/codec_page.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/pages/index_info_dlg.h"
#include "ui/pages/log_page.h"
#include "ui/pages/sip_page.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::Retype;
using testing::RouterForm;
using testing::RouterSimProcess;
using testing::ScriptedUserPort;

// The user port of the main window as far as the pages are concerned: it keeps the pages in line
// with the models and the router form.
class PagesPort : public ScriptedUserPort {
public:
    CDialPlanPage* dialPlan = nullptr;
    CSIPPage* sip = nullptr;
    CCodecPage* codec = nullptr;
    CLOGPage* log = nullptr;

    void ApplyPerModelControls(bool twoPort) override {
        ScriptedUserPort::ApplyPerModelControls(twoPort);
        sip->SetTwoPort(twoPort);
        dialPlan->SetTwoPort(twoPort);
    }
    void ShowAutoRefresh(bool ticked, bool enabled) override {
        ScriptedUserPort::ShowAutoRefresh(ticked, enabled);
        log->ShowAutoRefresh(ticked, enabled);
    }
    void ModelsChanged() override {
        ScriptedUserPort::ModelsChanged();
        dialPlan->ShowModel();
        sip->ShowModel();
        codec->ShowModel();
        log->ShowModel();
    }
};

class PagesWorkflowTest : public ::testing::TestWithParam<RouterForm> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.IsRunning());
        m_workflow.Exchange().SetTelnetPort(m_sim.TelnetPort());
        m_port.dialPlan = &m_dialPlan;
        m_port.sip = &m_sip;
        m_port.codec = &m_codec;
        m_port.log = &m_log;
        m_dialPlan.SetModelNameSource([this] { return m_workflow.Connected().Strip().model; });
        QObject::connect(&m_log, &CLOGPage::autoRefreshChanged,
                         [this](bool ticked) { m_workflow.SetAutoRefresh(ticked); });
        QObject::connect(&m_log, &CLOGPage::refreshSecondsChanged,
                         [this](int seconds) { m_workflow.SetRefreshSeconds(seconds); });
    }

    ConnectOutcome Connect() {
        return m_program.ConnectWithAdmin(testing::Chosen(GetParam().model, GetParam().ip, GetParam().mac));
    }

    std::vector<std::string> Commands() const { return testing::CommandsOf(m_sim, GetParam().ip); }

    std::string Cell(int row, int column) const {
        return m_dialPlan.List()->item(row, column)->text().toStdString();
    }
    std::string LogCell(int row, int column) const {
        return m_log.List()->item(row, column)->text().toStdString();
    }

    // The first row whose phone number cell is `empty` or not.
    int FirstRow(bool empty) const {
        for (int row = 0; row < kDialPlanEntryCount; ++row) {
            if (Cell(row, CDialPlanPage::kColPhone).empty() == empty) return row;
        }
        return -1;
    }

    // Edits `row` in the Index Info dialog as a user does.
    void EditRow(int row, const std::function<void(CIndexInfoDlg&)>& typing) {
        m_dialPlan.SetDialogRunner([&](CIndexInfoDlg& dialog) {
            dialog.show();
            typing(dialog);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            dialog.hide();
            return dialog.result();
        });
        m_dialPlan.List()->selectRow(row);
        m_dialPlan.EditSelectedEntry();
    }

    // Everything the four pages show, cell by cell and box by box.
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const QTableWidget* list : {m_dialPlan.List(), m_log.List()}) {
            shown.push_back("rows " + std::to_string(list->rowCount()));
            for (int row = 0; row < list->rowCount(); ++row) {
                for (int column = 0; column < list->columnCount(); ++column) {
                    shown.push_back(list->item(row, column)->text().toStdString());
                }
            }
        }
        for (const QWidget* page : std::initializer_list<const QWidget*>{&m_sip, &m_codec}) {
            for (const QLineEdit* box : page->findChildren<QLineEdit*>()) {
                if (box->parent() == page) shown.push_back(box->text().toStdString());
            }
            for (const QComboBox* list : page->findChildren<QComboBox*>()) {
                shown.push_back(std::to_string(list->currentIndex()) + " " +
                                list->currentText().toStdString());
            }
            for (const QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
                if (button->isCheckable()) shown.push_back(button->isChecked() ? "checked" : "clear");
            }
        }
        return shown;
    }

    testing::EnglishLoaded m_english;
    RouterSimProcess m_sim;
    testing::SocketLine m_line;
    testing::WorkflowHarness<PagesPort> m_program{m_line.socket, m_line.clock, &ProcessLanguageTable()};
    PagesPort& m_port = m_program.port;
    testing::ManualTickTimer& m_timer = m_program.timer;
    RouterWorkflow& m_workflow = m_program.workflow;
    CDialPlanPage m_dialPlan{m_workflow.Pages().DialPlan(), ProcessLanguageTable(), m_port.messages};
    CSIPPage m_sip{m_workflow.Pages().Sip(), ProcessLanguageTable(), m_port.messages};
    CCodecPage m_codec{m_workflow.Pages().Codec(), ProcessLanguageTable(), m_port.messages};
    CLOGPage m_log{m_workflow.Pages().CallLog(), ProcessLanguageTable(), m_port.messages};
};

TEST_P(PagesWorkflowTest, FetchFillsEveryPageInTheRoutersForm) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    const bool twoPort = GetParam().twoPort;
    EXPECT_NE(FirstRow(false), -1);
    EXPECT_EQ(m_dialPlan.List()->horizontalHeader()->sectionSize(CDialPlanPage::kColLoop), twoPort ? 0 : 140);
    EXPECT_EQ(m_sip.ShowsTwoPort(), twoPort);
    EXPECT_EQ(m_sip.Port1ExpiryList()->count(), twoPort ? 8 : 10);
    EXPECT_EQ(m_codec.CodecList()->count(), twoPort ? 5 : 3);
    EXPECT_NE(LogCell(0, 1), "00-00-    0");
    EXPECT_EQ(m_sip.Port1UserNameBox()->text().toStdString(), m_workflow.Pages().Sip().Port1UserName());
    EXPECT_EQ(m_codec.PayloadBox()->text().toStdString(), m_workflow.Pages().Codec().PayloadType());
}

TEST_P(PagesWorkflowTest, EditedEntryReachesTheRouterAndComesBack) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    const int row = FirstRow(true);
    ASSERT_GE(row, 0);
    EditRow(row, [](CIndexInfoDlg& dialog) {
        QCheckBox* enable = dialog.EnableBox();
        QTest::mouseClick(enable, Qt::LeftButton, {}, QPoint(6, enable->height() / 2));
        QTest::keyClicks(dialog.PhoneBox(), "4242");
        QTest::keyClicks(dialog.PortNameBox(), "desk");
        QTest::keyClicks(dialog.DomainBox(), "10.1.2.3");
        if (!dialog.IsTwoPort()) {
            dialog.LoopThroughList()->setCurrentIndex(0);
            QTest::keyClicks(dialog.BackupBox(), "77");
        }
    });
    ASSERT_EQ(Cell(row, CDialPlanPage::kColPhone), "4242");
    m_sim.ClearCommandLog();
    ASSERT_EQ(m_workflow.ApplyFlow(), ApplyOutcome::Applied);
    const std::vector<std::string> sent = Commands();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [&](const std::string& c) {
        return c.rfind("voip dial_plan set " + std::to_string(row + 1) + " 4242 desk 10.1.2.3 1", 0) == 0;
    }));

    // Forget the entry here; the next fetch brings it back from the router.
    m_workflow.Pages().DialPlan().ClearEntry(row);
    m_dialPlan.ShowModel();
    ASSERT_EQ(Cell(row, CDialPlanPage::kColPhone), "");
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    EXPECT_EQ(Cell(row, CDialPlanPage::kColPhone), "4242");
    EXPECT_EQ(Cell(row, CDialPlanPage::kColSip), "desk@10.1.2.3");
    EXPECT_EQ(Cell(row, CDialPlanPage::kColStatus), "V");
    if (!GetParam().twoPort) {
        EXPECT_EQ(Cell(row, CDialPlanPage::kColLoop), testing::TextIn(0, "Index_Loop1"));
        EXPECT_EQ(Cell(row, CDialPlanPage::kColBackup), "77");
    }
}

TEST_P(PagesWorkflowTest, ClearSelectedDeletesOnlyTheCheckedEntriesOnTheRouter) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    const int cleared = FirstRow(false);
    ASSERT_GE(cleared, 0);
    int kept = -1;
    for (int row = cleared + 1; row < kDialPlanEntryCount && kept < 0; ++row) {
        if (!Cell(row, CDialPlanPage::kColPhone).empty()) kept = row;
    }
    ASSERT_GE(kept, 0);
    const std::string keptPhone = Cell(kept, CDialPlanPage::kColPhone);

    // Without a check nothing is cleared and nothing is sent.
    QTest::mouseClick(m_dialPlan.ClearSelectedButton(), Qt::LeftButton);
    EXPECT_TRUE(m_workflow.Pages().DialPlan().ChangedEntries().empty());

    m_dialPlan.SetRowChecked(cleared, true);
    QTest::mouseClick(m_dialPlan.ClearSelectedButton(), Qt::LeftButton);
    m_sim.ClearCommandLog();
    ASSERT_EQ(m_workflow.ApplyFlow(), ApplyOutcome::Applied);
    const std::vector<std::string> sent = Commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "voip dial_plan del " + std::to_string(cleared + 1)),
              sent.end());
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& c) { return c.find("dial_plan") != std::string::npos; }),
              1);

    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    EXPECT_EQ(Cell(cleared, CDialPlanPage::kColPhone), "");
    EXPECT_EQ(Cell(kept, CDialPlanPage::kColPhone), keptPhone);
}

TEST_P(PagesWorkflowTest, SipAndCodecEditsAreAppliedAndReadBack) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    Retype(m_sip.Port1UserNameBox(), "carol");
    Retype(m_sip.Port1PasswordBox(), "pw-carol");
    m_sip.Port1ExpiryList()->setCurrentIndex(m_sip.Port1ExpiryList()->count() - 1);  // 1 day
    if (GetParam().twoPort) {
        m_sip.Port1ViaList()->setCurrentIndex(2);
        Retype(m_sip.Port2UserNameBox(), "dave");
    }
    m_codec.PacketSizeList()->setCurrentIndex(3);
    m_codec.CodecList()->setCurrentIndex(0);
    QRadioButton* outBand = m_codec.ModeButton(1);
    QTest::mouseClick(outBand, Qt::LeftButton, {}, QPoint(6, outBand->height() / 2));
    Retype(m_codec.PayloadBox(), "120");
    Retype(m_codec.StartBox(), "12000");
    ASSERT_EQ(m_workflow.ApplyFlow(), ApplyOutcome::Applied);

    // Put other values on the pages; the next fetch must bring the applied ones back.
    Retype(m_sip.Port1UserNameBox(), "zz");
    Retype(m_codec.PayloadBox(), "100");
    m_codec.PacketSizeList()->setCurrentIndex(0);
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    EXPECT_EQ(m_sip.Port1UserNameBox()->text(), "carol");
    EXPECT_EQ(m_sip.Port1PasswordBox()->text(), "pw-carol");
    EXPECT_EQ(m_sip.Port1ExpiryList()->currentText().toStdString(), testing::TextIn(0, "SIP_1Time9"));
    if (GetParam().twoPort) {
        EXPECT_EQ(m_sip.Port1ViaList()->currentIndex(), 2);
        EXPECT_EQ(m_sip.Port2UserNameBox()->text(), "dave");
    }
    EXPECT_EQ(m_codec.PacketSizeList()->currentIndex(), 3);
    EXPECT_EQ(m_codec.CodecList()->currentIndex(), 0);
    EXPECT_TRUE(m_codec.ModeButton(1)->isChecked());
    EXPECT_EQ(m_codec.PayloadBox()->text(), "120");
    EXPECT_EQ(m_codec.StartBox()->text(), "12000");
}

TEST_P(PagesWorkflowTest, AutoRefreshPutsANewCallAtTheTopWithoutLosingRows) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    std::vector<std::string> before;
    for (int row = 0; row < m_log.List()->rowCount(); ++row)
        before.push_back(LogCell(row, 1) + " " + LogCell(row, 2));
    const int recordsBefore = m_workflow.Pages().CallLog().RecordCount();
    ASSERT_GT(recordsBefore, 0);

    // A successful fetch switches the refresh on; the page shows it.
    QCheckBox* box = m_log.AutoRefreshBox();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(m_log.RefreshList()->isEnabled());
    EXPECT_TRUE(m_timer.IsActive());

    // Off and on again by the user; the counter starts over.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_FALSE(m_workflow.Refresh().On());
    EXPECT_FALSE(m_timer.IsActive());
    EXPECT_FALSE(m_log.RefreshList()->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    m_log.RefreshList()->setCurrentIndex(0);  // 10 s
    ASSERT_TRUE(m_workflow.Refresh().On());
    EXPECT_EQ(m_workflow.Refresh().Count(), 0);
    ASSERT_TRUE(m_timer.IsActive());
    EXPECT_EQ(m_workflow.Refresh().IntervalSeconds(), 10);

    ASSERT_EQ(m_sim.Control(std::string("addcall ") + GetParam().ip + " 12-31-2030 23:59:58 9 OUT 10.7.7.7")
                  .rfind("OK", 0),
              0u);
    RefreshOutcome outcome = RefreshOutcome::Counted;
    int ticks = 0;
    while (outcome == RefreshOutcome::Counted && ticks < 40) {
        ASSERT_TRUE(m_timer.IsActive());
        outcome = m_workflow.RefreshTick();
        ++ticks;
    }
    ASSERT_EQ(outcome, RefreshOutcome::Refreshed);
    EXPECT_EQ(ticks, 12);
    EXPECT_EQ(LogCell(0, 0), "No.1");
    EXPECT_EQ(LogCell(0, 1), "12-31-2030");
    EXPECT_EQ(LogCell(0, 2), "23:59:58");
    EXPECT_EQ(LogCell(0, 5), "10.7.7.7");
    // Every call listed before is still listed, one row lower.
    for (int row = 0; row < recordsBefore; ++row) {
        EXPECT_EQ(LogCell(row + 1, 1) + " " + LogCell(row + 1, 2), before[static_cast<std::size_t>(row)])
            << row;
    }
    EXPECT_EQ(m_log.List()->rowCount(), std::max(10, recordsBefore + 1));

    // Unticking stops the timer.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_FALSE(m_timer.IsActive());
}

TEST_P(PagesWorkflowTest, SaveAllThenChangesThenLoadRestoresEveryPage) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("all.csv")).toStdString();
    const std::vector<std::string> saved = Shown();
    m_port.saveChoices.push_back(path);
    ASSERT_EQ(m_workflow.Files().SaveAllFlow(), FileOutcome::Done);

    // A page's own Save As writes exactly its section of that file.
    testing::ScriptedChooser chooser;
    chooser.answer = dir.filePath(QStringLiteral("sip.csv"));
    m_sip.SetSaveFileChooser(chooser.Get());
    ASSERT_EQ(m_sip.SaveAs(), PageSaveOutcome::Saved);
    const auto all = testing::FileBytes(QString::fromStdString(path));
    const auto sipOnly = testing::FileBytes(*chooser.answer);
    ASSERT_TRUE(all && sipOnly);
    EXPECT_NE(all->find(*sipOnly), std::string::npos);

    QTest::mouseClick(m_dialPlan.ClearAllButton(), Qt::LeftButton);
    QTest::mouseClick(m_log.ClearAllButton(), Qt::LeftButton);
    Retype(m_sip.SipPortBox(), "1");
    Retype(m_sip.Port1UserNameBox(), "x");
    m_sip.Port1ExpiryList()->setCurrentIndex(0);
    Retype(m_codec.PayloadBox(), "99");
    Retype(m_codec.EndBox(), "2");
    m_codec.PacketSizeList()->setCurrentIndex(5);
    QRadioButton* sipInfo = m_codec.ModeButton(2);
    QTest::mouseClick(sipInfo, Qt::LeftButton, {}, QPoint(6, sipInfo->height() / 2));
    ASSERT_NE(Shown(), saved);

    m_port.openChoices.push_back(path);
    ASSERT_EQ(m_workflow.Files().LoadFlow(), FileOutcome::Done);
    EXPECT_EQ(Shown(), saved);
    EXPECT_TRUE(std::none_of(m_port.messages.shown.begin(), m_port.messages.shown.end(),
                             [](const auto& m) { return m.text == testing::TextIn(0, "Message_FileFail"); }));
}

TEST_P(PagesWorkflowTest, LoadingAPagesOwnFileChangesOnlyThatPage) {
    ASSERT_EQ(Connect(), ConnectOutcome::Connected);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testing::ScriptedChooser chooser;
    chooser.answer = dir.filePath(QStringLiteral("codec.csv"));
    m_codec.SetSaveFileChooser(chooser.Get());
    ASSERT_EQ(m_codec.SaveAs(), PageSaveOutcome::Saved);
    const std::string payload = m_codec.PayloadBox()->text().toStdString();
    const int size = m_codec.PacketSizeList()->currentIndex();

    Retype(m_codec.PayloadBox(), "97");
    m_codec.PacketSizeList()->setCurrentIndex(size == 5 ? 0 : 5);
    Retype(m_sip.Port1UserNameBox(), "changed");
    QTest::mouseClick(m_dialPlan.ClearAllButton(), Qt::LeftButton);
    const std::vector<std::string> otherPages = {Cell(0, CDialPlanPage::kColPhone),
                                                 m_sip.Port1UserNameBox()->text().toStdString()};

    m_port.openChoices.push_back(chooser.answer->toStdString());
    ASSERT_EQ(m_workflow.Files().LoadFlow(), FileOutcome::Done);
    EXPECT_EQ(m_codec.PayloadBox()->text().toStdString(), payload);
    EXPECT_EQ(m_codec.PacketSizeList()->currentIndex(), size);
    EXPECT_EQ((std::vector<std::string>{Cell(0, CDialPlanPage::kColPhone),
                                        m_sip.Port1UserNameBox()->text().toStdString()}),
              otherPages);
    EXPECT_TRUE(std::none_of(m_port.messages.shown.begin(), m_port.messages.shown.end(),
                             [](const auto& m) { return m.text == testing::TextIn(0, "Message_FileFail"); }));
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, PagesWorkflowTest,
                         ::testing::Values(testing::kTwoPortForm, testing::kOnePortForm),
                         [](const auto& info) { return testing::FormName(info.param); });

}  // namespace
}  // namespace dezadav
