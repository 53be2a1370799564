#include "ui/gui_user_port.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "support/process_language.h"
#include "support/routersim_process.h"
#include "support/workflow_harness.h"
#include "ui/dialog_driving.h"
#include "ui/language_choice.h"
#include "ui/pages/csv_file_dialog.h"
#include "ui/progress_window.h"
#include "ui/router_info_dlg.h"
#include "ui/skin_button.h"
#include "workflow/qt_tick_timer.h"

namespace dezadav {
namespace {

using testing::RowWithIp;
using testing::UserScript;

// Picks the router at `ip` once it is listed.
UserScript::Step PickRouter(const QString& ip) {
    return [ip](QWidget* modal) {
        auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
        if (dialog == nullptr) return false;
        const int row = RowWithIp(*dialog->RouterTable(), ip);
        if (row < 0) return false;
        dialog->RouterTable()->selectRow(row);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    };
}

UserScript::Step Press(CSkinButton* (CSelectRouterDlg::*button)() const) {
    return [button](QWidget* modal) {
        auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
        if (dialog == nullptr) return false;
        QTest::mouseClick((dialog->*button)(), Qt::LeftButton);
        return true;
    };
}

// Types a password into Confirm Password; checks that the box starts empty.
UserScript::Step TypePassword(const QString& password, std::vector<QString>* boxAtStart) {
    return [password, boxAtStart](QWidget* modal) {
        auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
        if (dialog == nullptr) return false;
        boxAtStart->push_back(dialog->PasswordBox()->text());
        QTest::keyClicks(dialog->PasswordBox(), password);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    };
}

class GuiConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadBuiltinEnglish(nullptr);
        if (!m_sim.IsRunning()) GTEST_SKIP() << "router emulator did not start";
        m_program = std::make_unique<Program>(m_line.socket, m_line.clock, &ProcessLanguageTable(), ProcessLanguageTable(),
                                              DiscoveryOptions{m_sim.DiscoveryAddress(), m_sim.DiscoveryPort()});
        m_port = &m_program->port;
        m_workflow = &m_program->workflow;
        GuiUserPort::WindowHooks hooks;
        hooks.applyPerModelControls = [this](bool twoPort) { m_twoPort.push_back(twoPort); };
        hooks.showStrip = [this](const RouterStrip& strip) { m_strips.push_back(strip); };
        hooks.endProgram = [this] { ++m_ended; };
        m_port->AttachWindow(nullptr, hooks);
        m_workflow->Exchange().SetTelnetPort(m_sim.TelnetPort());
    }

    testing::RouterSimProcess m_sim;
    using Program = testing::WorkflowHarness<GuiUserPort, QtTickTimer>;
    testing::SocketLine m_line;
    std::unique_ptr<Program> m_program;
    GuiUserPort* m_port = nullptr;
    RouterWorkflow* m_workflow = nullptr;
    std::vector<bool> m_twoPort;
    std::vector<RouterStrip> m_strips;
    int m_ended = 0;
};

TEST_F(GuiConnectTest, SelectConfirmFetchByClicksWithAWrongPasswordFirst) {
    std::vector<QString> boxes;
    UserScript script({PickRouter(QStringLiteral("127.0.0.2")), TypePassword(QStringLiteral("wrong"), &boxes),
                       TypePassword(QStringLiteral("admin"), &boxes)});
    EXPECT_EQ(m_workflow->ConnectSequence(), ConnectOutcome::Connected);
    EXPECT_EQ(script.StepsDone(), 3u);
    // The wrong password brought its one message and the confirmation back, empty.
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(script.Messages()[0], QStringLiteral("Failed to login router!"));
    EXPECT_EQ(boxes, (std::vector<QString>{QString(), QString()}));

    EXPECT_EQ(m_workflow->Connected().Strip().model, "DZV-R5730K");
    EXPECT_EQ(m_workflow->Connected().Strip().ip, "127.0.0.2");
    ASSERT_FALSE(m_strips.empty());
    EXPECT_EQ(m_strips.back().model, "DZV-R5730K");
    EXPECT_EQ(m_twoPort, std::vector<bool>{true});
    EXPECT_FALSE(m_workflow->Pages().DialPlan().AllRowsText().empty());
    // The progress box was up for both fetches and is gone; the confirmation is closed.
    ASSERT_NE(m_port->ProgressWindow(), nullptr);
    EXPECT_EQ(m_port->ProgressWindow()->TimesShown(), 2);
    EXPECT_FALSE(m_port->ProgressWindow()->isVisible());
    EXPECT_EQ(m_port->PasswordDialog(), nullptr);
}

TEST_F(GuiConnectTest, OnePortRouterGetsItsOwnControls) {
    std::vector<QString> boxes;
    UserScript script(
        {PickRouter(QStringLiteral("127.0.0.3")), TypePassword(QStringLiteral("admin"), &boxes)});
    EXPECT_EQ(m_workflow->ConnectSequence(), ConnectOutcome::Connected);
    EXPECT_TRUE(script.Messages().empty());
    EXPECT_EQ(m_twoPort, std::vector<bool>{false});
    EXPECT_EQ(m_workflow->Connected().Strip().model, "DZV-R5830K");
}

TEST_F(GuiConnectTest, SkipExitAndCancelledConfirmation) {
    {
        UserScript script({Press(&CSelectRouterDlg::SkipButton)});
        EXPECT_EQ(m_workflow->ConnectSequence(), ConnectOutcome::Skipped);
        EXPECT_TRUE(m_workflow->Connected().skipMark);
    }
    {
        UserScript script({PickRouter(QStringLiteral("127.0.0.3")), [](QWidget* modal) {
                               auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
                               if (dialog == nullptr) return false;
                               QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
                               return true;
                           }});
        EXPECT_EQ(m_workflow->ConnectSequence(), ConnectOutcome::Cancelled);
        EXPECT_EQ(script.StepsDone(), 2u);
    }
    EXPECT_EQ(m_ended, 0);
    {
        UserScript script({Press(&CSelectRouterDlg::ExitButton)});
        EXPECT_EQ(m_workflow->ConnectSequence(), ConnectOutcome::Exited);
    }
    EXPECT_EQ(m_ended, 1);
}

// Answers the file dialog that opens next: notes the folder it shows, then chooses `file`.
void AnswerFileDialog(QString* shownFolder, const QString& file) {
    QTimer::singleShot(0, [shownFolder, file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        *shownFolder = dialog->directory().absolutePath();
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept takes the file
    });
}

TEST(FileDialogs, OpenWhereTheLastFileWasChosenInThisRunAndTheNext) {
    QTemporaryDir profile;
    QTemporaryDir files;
    ASSERT_TRUE(profile.isValid() && files.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    const QString saved = QDir(files.path()).filePath(QStringLiteral("office.csv"));

    GuiUserPort port(ProcessLanguageTable(), DiscoveryOptions{});
    QString shown;
    AnswerFileDialog(&shown, saved);
    EXPECT_EQ(port.ChooseFileToSave(), saved.toStdString());
    EXPECT_EQ(shown, QDir::homePath());  // nothing chosen before

    // The pages' dialogs share the folder, and a later run finds it in the profile.
    QFile(saved).open(QIODevice::WriteOnly);
    AnswerFileDialog(&shown, saved);
    EXPECT_EQ(ChooseCsvFileToOpen(nullptr, QStringLiteral("CSV file (*.csv)")), saved);
    EXPECT_EQ(shown, files.path());
    EXPECT_EQ(OpenUserProfile()->value(QStringLiteral("Files/LastFolder")).toString(), files.path());
}

}  // namespace
}  // namespace dezadav
