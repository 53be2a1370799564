// The main window, made by the program's composition, against the router emulator, driven the way a person
// drives it: clicks in Select Router and Confirm Password, the main window's buttons, Enter, a dropped file,
// the Language dialog and the tray commands.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "support/english_language.h"
#include "support/routersim_process.h"
#include "ui/confirm_changes_dlg.h"
#include "ui/dialog_driving.h"
#include "ui/language_dlg.h"
#include "ui/list_columns.h"
#include "ui/pages/codec_page.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/sip_page.h"
#include "ui/progress_window.h"
#include "ui/router_info_dlg.h"
#include "ui/skin_button.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dezadav {
namespace {

using testing::RouterSimProcess;
using testing::RowWithIp;
using testing::UserScript;

constexpr const char* kTwoPortIp = "127.0.0.2";
constexpr const char* kOnePortIp = "127.0.0.3";
constexpr int kWaitMs = 30000;  // upper bound for one Connect sequence against the emulator

// The five cells of a Select Router row: model, IP, mask, MAC, version.
using RouterRow = std::vector<QString>;

// Picks the router at `ip` once it is listed, remembering its row; `opacity` receives the main
// window's opacity at that moment.
UserScript::Step PickRouter(const QString& ip, RouterRow* picked = nullptr, const QWidget* window = nullptr,
                            double* opacity = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
        if (dialog == nullptr) return false;
        QTableWidget* table = dialog->RouterTable();
        const int row = RowWithIp(*table, ip);
        if (row < 0) return false;
        if (picked != nullptr) {
            picked->clear();
            for (int column = 0; column < 5; ++column) picked->push_back(table->item(row, column)->text());
        }
        if (opacity != nullptr) *opacity = window->windowOpacity();
        table->selectRow(row);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    };
}

UserScript::Step PressInSelect(CSkinButton* (CSelectRouterDlg::*button)() const, QString* title = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
        if (dialog == nullptr) return false;
        if (title != nullptr) *title = dialog->windowTitle();
        QTest::mouseClick((dialog->*button)(), Qt::LeftButton);
        return true;
    };
}

// Types a password into Confirm Password and presses OK; records what the box held at the start.
UserScript::Step TypePassword(const QString& password, std::vector<QString>* boxAtStart = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
        if (dialog == nullptr) return false;
        if (boxAtStart != nullptr) boxAtStart->push_back(dialog->PasswordBox()->text());
        QTest::keyClicks(dialog->PasswordBox(), password);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    };
}

// Picks language `n` in the Language dialog and presses OK.
UserScript::Step ChooseLanguage(int n, int* preselected = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<CLanguageDlg*>(modal);
        if (dialog == nullptr) return false;
        if (preselected != nullptr) *preselected = dialog->LanguageList()->currentIndex();
        dialog->LanguageList()->setCurrentIndex(n);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    };
}

// Confirms the About box, recording its title and texts.
UserScript::Step ConfirmAbout(std::vector<QString>* seen) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || qobject_cast<CSelectRouterDlg*>(modal) != nullptr) return false;
        seen->push_back(dialog->windowTitle());
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) seen->push_back(label->text());
        }
        dialog->accept();
        return true;
    };
}

bool WaitFor(const std::function<bool()>& condition, int ms = kWaitMs) {
    return QTest::qWaitFor(condition, ms);
}

// Every key's text in one language.
std::map<std::string, std::string> TextsOf(int language) {
    const LanguageTable table = testing::ShippedEnglish(language);
    std::map<std::string, std::string> texts;
    for (const std::string& entry : table.Entries()) {
        const std::size_t open = entry.find('[');
        if (open == std::string::npos || entry.back() != ']') continue;
        std::string key = entry.substr(0, open);
        // Lookups ignore case: the first entry of a key is the one shown.
        texts.emplace(std::move(key), entry.substr(open + 1, entry.size() - open - 2));
    }
    return texts;
}

class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.IsRunning()) << "router emulator did not start";
        ASSERT_TRUE(m_dir.isValid());
        m_profile =
            std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        Make();
    }

    // The program's objects against the emulator, with the window watched.
    void Make() {
        ApplicationOptions options;
        options.broadcast = m_sim.DiscoveryAddress();
        options.discoveryPort = m_sim.DiscoveryPort();
        options.telnetPort = m_sim.TelnetPort();
        options.profile = m_profile.get();
        options.historyFolder = m_dir.filePath(QStringLiteral("history")).toStdString();
        m_app.reset();
        m_app = std::make_unique<Application>(options);
        m_window = &m_app->Window();
        QObject::connect(m_window, &CMainDlg::connectFinished,
                         [this](ConnectOutcome outcome) { m_outcomes.push_back(outcome); });
        QObject::connect(m_window, &QDialog::finished, [this](int result) { m_finished.push_back(result); });
    }

    void TearDown() override {
        if (m_window) m_window->Workflow().SetAutoRefresh(false);
    }

    // Shows the window and waits for the Connect sequence that timer 0 starts to end.
    bool ShowAndConnect(std::size_t sequences = 1) {
        m_window->show();
        return WaitFor([&] { return m_outcomes.size() >= sequences || !m_finished.empty(); });
    }

    // Picks the router at `ip` with the right password at start-up; true when connected.
    bool ConnectTo(const char* ip, RouterRow* row = nullptr) {
        UserScript script;
        script.Add(PickRouter(QString::fromLatin1(ip), row));
        script.Add(TypePassword(QStringLiteral("admin")));
        return ShowAndConnect() && !m_outcomes.empty() && m_outcomes.back() == ConnectOutcome::Connected;
    }

    std::vector<std::string> CommandsTo(const char* ip) const {
        const std::string prefix = std::string(ip) + " ";
        std::vector<std::string> commands;
        for (const std::string& line : m_sim.CommandLog()) {
            if (line.rfind(prefix, 0) == 0) commands.push_back(line.substr(prefix.size()));
        }
        return commands;
    }

    // A settings file made by the program itself with entry 5 in use ("4711"); the entry itself is
    // left empty again. Returns the file's path.
    QString WriteFileWithEntry5(const QString& name) {
        DialPlanEntry entry = m_window->Workflow().Pages().DialPlan().Entry(4);
        entry.phoneNumber = "4711";
        entry.sipAddress = "load@example.org";
        entry.statusMark = "V";
        m_window->Workflow().Pages().DialPlan().SetEntry(4, entry);
        const std::string bytes = m_window->Workflow().Files().SettingsFileText();
        m_window->Workflow().Pages().DialPlan().ClearEntry(4);
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return QString();
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QString Entry5Phone() const {
        return m_window->DialPlanPage()->List()->item(4, CDialPlanPage::kColPhone)->text();
    }

    std::vector<QString> Strip() const {
        return {m_window->ModelField()->text(), m_window->VersionField()->text(), m_window->IpField()->text(),
                m_window->MacField()->text()};
    }

    // Every cell of the dial-plan list.
    std::vector<QString> DialPlanCells() const {
        std::vector<QString> cells;
        const QTableWidget* list = m_window->DialPlanPage()->List();
        for (int row = 0; row < list->rowCount(); ++row) {
            for (int column = 0; column < list->columnCount(); ++column) {
                cells.push_back(list->item(row, column) ? list->item(row, column)->text() : QString());
            }
        }
        return cells;
    }

    // Every text the main window and its pages show: title, tabs, labels, buttons, group boxes,
    // list headers and list entries, each with where it is. Dialogs that belong to the window but
    // are closed (and re-read their texts when they open) are not part of it.
    std::vector<std::pair<QString, QString>> ShownTexts(bool withListEntries) const {
        std::vector<std::pair<QString, QString>> texts;
        texts.emplace_back(QStringLiteral("title"), m_window->windowTitle());
        for (int tab = 0; tab < m_window->Sheet()->count(); ++tab) {
            texts.emplace_back(QStringLiteral("tab"), m_window->Sheet()->tabText(tab));
        }
        for (const QLabel* label : m_window->findChildren<QLabel*>()) {
            if (label->window() != m_window) continue;
            // The strip's fields hold the router's values, not captions.
            if (label->frameShape() == QFrame::Panel) continue;
            texts.emplace_back(QStringLiteral("label"), label->text());
        }
        for (const QAbstractButton* button : m_window->findChildren<QAbstractButton*>()) {
            if (button->window() != m_window) continue;
            texts.emplace_back(QStringLiteral("button"), button->text());
        }
        for (const QGroupBox* group : m_window->findChildren<QGroupBox*>()) {
            if (group->window() != m_window) continue;
            texts.emplace_back(QStringLiteral("group"), group->title());
        }
        for (const QTableWidget* list : m_window->findChildren<QTableWidget*>()) {
            if (list->window() != m_window) continue;
            for (int column = 0; column < list->columnCount(); ++column) {
                if (list->horizontalHeaderItem(column) != nullptr && !list->isColumnHidden(column) &&
                    list->horizontalHeader()->sectionSize(column) > 0) {
                    texts.emplace_back(QStringLiteral("header"), list->horizontalHeaderItem(column)->text());
                }
            }
        }
        if (withListEntries) {
            for (const QComboBox* list : m_window->findChildren<QComboBox*>()) {
                if (list->window() != m_window) continue;
                for (int i = 0; i < list->count(); ++i)
                    texts.emplace_back(QStringLiteral("entry"), list->itemText(i));
            }
        }
        return texts;
    }

    RouterSimProcess m_sim;
    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_profile;
    std::unique_ptr<Application> m_app;
    CMainDlg* m_window = nullptr;
    std::vector<ConnectOutcome> m_outcomes;
    std::vector<int> m_finished;
};

// --- the Connect sequence ----------------------------------------------------------------------------

struct RouterCase {
    const char* ip;
    bool twoPort;
};
void PrintTo(const RouterCase& router, std::ostream* os) {
    *os << router.ip;
}

class MainDlgConnectTest : public MainDlgTest, public ::testing::WithParamInterface<RouterCase> {};

TEST_P(MainDlgConnectTest, StartFadesInThenSelectPasswordAndFetchFillStripAndPages) {
    const RouterCase& router = GetParam();
    RouterRow picked;
    double opacityAtSelect = -1;
    UserScript script;
    script.Add(PickRouter(QString::fromLatin1(router.ip), &picked, m_window, &opacityAtSelect));
    script.Add(TypePassword(QStringLiteral("admin")));

    m_window->show();
    // Transparent until timer 0 runs the Connect sequence.
    EXPECT_EQ(m_window->windowOpacity(), 0.0);
    EXPECT_EQ(m_window->FadeCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return !m_outcomes.empty(); }));
    ASSERT_EQ(m_outcomes, std::vector<ConnectOutcome>{ConnectOutcome::Connected});
    EXPECT_TRUE(script.AllDone());
    EXPECT_TRUE(script.Messages().empty()) << script.Messages().front().toStdString();

    // Faded in before the router selection: 26 steps from 5 to 255.
    EXPECT_EQ(opacityAtSelect, 1.0);
    std::vector<int> expectedFade;
    for (int alpha = 5; alpha <= 255; alpha += 10) expectedFade.push_back(alpha);
    EXPECT_EQ(m_window->LastFadeSteps(), expectedFade);
    EXPECT_EQ(m_window->FadeCount(), 1);
    EXPECT_EQ(m_window->windowOpacity(), 1.0);

    // The strip shows the router picked: Model, Version, IP, MAC.
    ASSERT_EQ(picked.size(), 5u);
    EXPECT_EQ(Strip(), (std::vector<QString>{picked[0], picked[4], picked[1], picked[3]}));
    EXPECT_EQ(picked[1], QString::fromLatin1(router.ip));

    // Pages: filled from the router, in its form.
    const std::vector<std::string> commands = CommandsTo(router.ip);
    const bool askedPort2 = std::find(commands.begin(), commands.end(), "voip sip endpt2") != commands.end();
    EXPECT_EQ(askedPort2, router.twoPort);
    const QTableWidget* dialPlan = m_window->DialPlanPage()->List();
    int numbers = 0;
    for (int row = 0; row < dialPlan->rowCount(); ++row) {
        if (!dialPlan->item(row, CDialPlanPage::kColPhone)->text().isEmpty()) ++numbers;
    }
    EXPECT_GT(numbers, 0);
    EXPECT_EQ(ColumnFit::Of(m_window->DialPlanPage()->List())->WantedWidth(CDialPlanPage::kColLoop),
              router.twoPort ? 0 : 140);
    CSIPPage* sip = m_window->SipPage();
    EXPECT_EQ(sip->ShowsTwoPort(), router.twoPort);
    EXPECT_EQ(sip->Port2UserNameBox()->isVisibleTo(sip), router.twoPort);
    EXPECT_EQ(sip->UseRegistrarBox()->isVisibleTo(sip), !router.twoPort);
    EXPECT_EQ(sip->Port1UserNameBox()->text().toStdString(), m_window->Workflow().Pages().Sip().Port1UserName());
    EXPECT_FALSE(sip->Port1UserNameBox()->text().isEmpty());
    EXPECT_EQ(m_window->CodecPage()->CodecList()->count(), router.twoPort ? 5 : 3);
    EXPECT_EQ(m_window->CodecPage()->PayloadBox()->text().toStdString(),
              m_window->Workflow().Pages().Codec().PayloadType());
    const QTableWidget* log = m_window->LogPage()->List();
    ASSERT_GT(log->rowCount(), 0);
    EXPECT_NE(log->item(0, 1)->text(), QStringLiteral("00-00-    0"));
    // The call log refreshes from now on.
    EXPECT_TRUE(m_window->LogPage()->AutoRefreshBox()->isChecked());
    EXPECT_TRUE(m_window->LogPage()->AutoRefreshBox()->isEnabled());
    EXPECT_TRUE(m_window->Workflow().Refresh().On());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_finished.empty());
}

INSTANTIATE_TEST_SUITE_P(BothRouterForms, MainDlgConnectTest,
                         ::testing::Values(RouterCase{kTwoPortIp, true}, RouterCase{kOnePortIp, false}));

TEST_F(MainDlgTest, WrongPasswordShowsItsMessageAndAsksAgainWithAnEmptyBox) {
    std::vector<QString> boxes;
    UserScript script;
    script.Add(PickRouter(QString::fromLatin1(kTwoPortIp)));
    script.Add(TypePassword(QStringLiteral("wrong"), &boxes));
    script.Add(TypePassword(QStringLiteral("admin"), &boxes));
    ASSERT_TRUE(ShowAndConnect());
    ASSERT_EQ(m_outcomes, std::vector<ConnectOutcome>{ConnectOutcome::Connected});
    EXPECT_TRUE(script.AllDone());
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_FALSE(script.Messages().front().contains(QStringLiteral("wrong")));
    EXPECT_EQ(boxes, (std::vector<QString>{QString(), QString()}));
    EXPECT_EQ(m_window->IpField()->text(), QString::fromLatin1(kTwoPortIp));
    EXPECT_EQ(m_window->ModelField()->text(), QStringLiteral("DZV-R5730K"));
}

TEST_F(MainDlgTest, CancelledPasswordLeavesStripAndPagesEmpty) {
    UserScript script;
    script.Add(PickRouter(QString::fromLatin1(kOnePortIp)));
    script.Add([](QWidget* modal) {
        auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
        if (dialog == nullptr) return false;
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        return true;
    });
    const std::vector<QString> cellsBefore = DialPlanCells();
    ASSERT_TRUE(ShowAndConnect());
    ASSERT_EQ(m_outcomes, std::vector<ConnectOutcome>{ConnectOutcome::Cancelled});
    EXPECT_EQ(Strip(), std::vector<QString>(4));
    EXPECT_EQ(DialPlanCells(), cellsBefore);
    EXPECT_TRUE(CommandsTo(kOnePortIp).empty());
}

TEST_F(MainDlgTest, SkipThenSearchAgainFadesInAgainAndExitEndsTheWindow) {
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());
    ASSERT_EQ(m_outcomes, std::vector<ConnectOutcome>{ConnectOutcome::Skipped});
    // Without a router: empty strip, Auto Refresh off and not clickable, the window still there.
    EXPECT_EQ(Strip(), std::vector<QString>(4));
    EXPECT_FALSE(m_window->LogPage()->AutoRefreshBox()->isChecked());
    EXPECT_FALSE(m_window->LogPage()->AutoRefreshBox()->isEnabled());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_finished.empty());

    // Search Again: the whole sequence once more, fade-in included; Exit there ends the window.
    m_window->setWindowOpacity(0.5);
    QString selectTitle;
    double opacityAtSelect = -1;
    script.Add([&](QWidget* modal) {
        if (qobject_cast<CSelectRouterDlg*>(modal) == nullptr) return false;
        opacityAtSelect = m_window->windowOpacity();
        return true;
    });
    script.Add(PressInSelect(&CSelectRouterDlg::ExitButton, &selectTitle));
    QTest::mouseClick(m_window->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_finished.empty(); }));
    EXPECT_EQ(m_window->FadeCount(), 2);
    EXPECT_EQ(m_window->LastFadeSteps().front(), 5);
    EXPECT_EQ(opacityAtSelect, 1.0);
    EXPECT_EQ(m_finished, std::vector<int>{QDialog::Rejected});
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_outcomes.size(), 1u);
}

TEST_F(MainDlgTest, SearchAgainSwitchesToAnotherRouter) {
    ASSERT_TRUE(ConnectTo(kTwoPortIp));
    EXPECT_TRUE(m_window->SipPage()->ShowsTwoPort());
    RouterRow picked;
    UserScript script;
    script.Add(PickRouter(QString::fromLatin1(kOnePortIp), &picked));
    script.Add(TypePassword(QStringLiteral("admin")));
    QTest::mouseClick(m_window->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return m_outcomes.size() == 2; }));
    EXPECT_EQ(m_outcomes.back(), ConnectOutcome::Connected);
    ASSERT_EQ(picked.size(), 5u);
    EXPECT_EQ(Strip(), (std::vector<QString>{picked[0], picked[4], picked[1], picked[3]}));
    EXPECT_FALSE(m_window->SipPage()->ShowsTwoPort());
    EXPECT_EQ(m_window->CodecPage()->CodecList()->count(), 3);
}

TEST_F(MainDlgTest, EscapeEndsTheWindow) {
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());
    QTest::keyClick(m_window, Qt::Key_Escape);
    EXPECT_EQ(m_finished, std::vector<int>{QDialog::Rejected});
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainDlgTest, CloseBoxEndsTheWindow) {
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());
    EXPECT_TRUE(m_window->close());
    EXPECT_EQ(m_finished, std::vector<int>{QDialog::Rejected});
}

// Esc (here while typing in a box), the close box and the tray's Exit reach the same reject(): with
// edits neither applied nor saved it asks first, and only Discard (or a completed apply) ends.
TEST_F(MainDlgTest, EscWithUnsavedEditsAsksFirstAndOnlyDiscardEnds) {
    {
        UserScript skip({PressInSelect(&CSelectRouterDlg::SkipButton)});
        ASSERT_TRUE(ShowAndConnect());
    }
    QLineEdit* registrar = m_window->SipPage()->RegistrarBox();
    m_window->Sheet()->setCurrentWidget(m_window->SipPage());
    QTest::keyClicks(registrar, QStringLiteral("reg.unsaved.example"));
    for (const QString& choice : {QStringLiteral("Cancel"), QStringLiteral("&Discard")}) {
        QString asked;
        QTimer answer;  // the user, answering the question
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == choice) button->click();
            }
        });
        answer.start(20);
        QTest::keyClick(registrar, Qt::Key_Escape);
        EXPECT_TRUE(asked.startsWith(QStringLiteral("Changes on the pages have been neither applied")));
        EXPECT_EQ(m_finished.empty(), choice == QStringLiteral("Cancel")) << choice.toStdString();
    }
}

// --- Apply, Save All, Load, drop ---------------------------------------------------------------------

TEST_F(MainDlgTest, EnterInTheWindowAppliesTheChangesToTheRouter) {
    ASSERT_TRUE(ConnectTo(kTwoPortIp));
    m_sim.ClearCommandLog();
    QLineEdit* registrar = m_window->SipPage()->RegistrarBox();
    m_window->Sheet()->setCurrentWidget(m_window->SipPage());
    registrar->selectAll();
    QTest::keyClick(registrar, Qt::Key_Delete);
    QTest::keyClicks(registrar, QStringLiteral("reg.enter.example"));
    // The confirmation of the changes takes Enter too.
    UserScript script({[](QWidget* modal) {
        auto* preview = qobject_cast<CConfirmChangesDlg*>(modal);
        if (preview != nullptr) QTest::keyClick(preview, Qt::Key_Return);
        return preview != nullptr;
    }});
    QTest::keyClick(registrar, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !script.Messages().empty(); }));
    const std::vector<std::string> commands = CommandsTo(kTwoPortIp);
    EXPECT_NE(std::find(commands.begin(), commands.end(), "voip sip registrar reg.enter.example"),
              commands.end());
    EXPECT_EQ(script.Messages().size(), 1u);
    EXPECT_FALSE(m_window->Workflow().Refresh().Blocked());
    // Applying did not end or hide the window.
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_finished.empty());
    EXPECT_EQ(m_sim.Control("state 127.0.0.2").find("reg.enter.example") != std::string::npos, true);
}

TEST_F(MainDlgTest, EnterPressesTheFocusedButtonInTheWindowAndInItsDialogs) {
    UserScript script;
    script.Add([](QWidget* modal) {
        auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
        if (dialog == nullptr) return false;
        dialog->SkipButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dialog->SkipButton(), Qt::Key_Return);
        return true;
    });
    ASSERT_TRUE(ShowAndConnect());
    EXPECT_EQ(m_outcomes.back(), ConnectOutcome::Skipped);

    // Enter on the focused Load button loads; it does not start the apply.
    int asked = 0;
    m_window->Port().SetFileChoosers(nullptr, [&]() -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    });
    m_window->activateWindow();
    m_window->LoadButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_window->LoadButton(), Qt::Key_Return);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Drags `path` onto `target` (the window or a widget in it) and drops it there; the application
// hands both events to the first widget up from `target` that takes drops.
void DropOn(QWidget& target, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    // File managers offer the file's address as plain text too.
    data.setText(QUrl::fromLocalFile(path).toString());
    const QPoint where(target.width() / 2, target.height() / 2);
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

TEST_F(MainDlgTest, KeysChangePagesFromAnywhereAndEnterRadioGroupsOnTheChoice) {
    UserScript skip({PressInSelect(&CSelectRouterDlg::SkipButton)});
    ASSERT_TRUE(ShowAndConnect());
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    QTabWidget* sheet = m_window->Sheet();
    sheet->setCurrentWidget(m_window->SipPage());
    QComboBox* expiry = m_window->SipPage()->Port1ExpiryList();
    expiry->setFocus();
    ASSERT_TRUE(WaitFor([&] { return expiry->hasFocus(); }, 2000));
    const int chosen = expiry->currentIndex();
    // Forward and back from a drop-down list, whose choice stays as it was.
    const std::pair<QKeyCombination, int> moves[] = {{Qt::CTRL | Qt::Key_PageDown, 2},
                                                     {Qt::CTRL | Qt::Key_PageUp, 1},
                                                     {Qt::CTRL | Qt::Key_Tab, 2},
                                                     {Qt::CTRL | Qt::Key_PageUp, 1}};
    for (const auto& [keys, page] : moves) {
        QTest::keyClick(expiry, keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(sheet->currentIndex(), page);
    }
    EXPECT_EQ(expiry->currentIndex(), chosen);

    // Tab from the packet size goes into the DTMF choices on the chosen one.
    sheet->setCurrentWidget(m_window->CodecPage());
    m_window->CodecPage()->ModeButton(0)->setFocus();
    m_window->CodecPage()->ModeButton(1)->click();
    m_window->CodecPage()->PacketSizeList()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return m_window->CodecPage()->PacketSizeList()->hasFocus(); }, 2000));
    QTest::keyClick(m_window->CodecPage()->PacketSizeList(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(m_window->CodecPage()->ModeButton(1)));
}

TEST_F(MainDlgTest, SaveAllThenADroppedCsvPathLoadsAndOtherPathsAreIgnored) {
    ASSERT_TRUE(ConnectTo(kOnePortIp));
    const QString saved = m_dir.filePath(QStringLiteral("all.csv"));
    int saveAsked = 0;
    m_window->Port().SetFileChoosers(
        [&]() -> std::optional<std::string> {
            ++saveAsked;
            return saved.toStdString();
        },
        nullptr);
    QTest::mouseClick(m_window->SaveAllButton(), Qt::LeftButton);
    EXPECT_EQ(saveAsked, 1);
    ASSERT_TRUE(QFile::exists(saved));
    const std::vector<QString> fetched = DialPlanCells();
    const QString registrar = m_window->SipPage()->RegistrarBox()->text();
    ASSERT_FALSE(registrar.isEmpty());

    // The same bytes under other names.
    const QString bak = m_dir.filePath(QStringLiteral("all.csv.bak"));
    const QString text = m_dir.filePath(QStringLiteral("all.txt"));
    const QString upper = m_dir.filePath(QStringLiteral("ALL.CSV"));
    ASSERT_TRUE(QFile::copy(saved, bak));
    ASSERT_TRUE(QFile::copy(saved, text));
    ASSERT_TRUE(QFile::copy(saved, upper));

    UserScript script;
    m_window->DialPlanPage()->ClearAll();
    m_window->Workflow().Pages().Sip().SetRegistrar("changed.example");
    m_window->SipPage()->ShowModel();
    const std::vector<QString> cleared = DialPlanCells();
    ASSERT_NE(cleared, fetched);

    // No ".csv" in the path (the test is case-sensitive): nothing is loaded.
    DropOn(*m_window, text);
    DropOn(*m_window, upper);
    EXPECT_EQ(DialPlanCells(), cleared);
    EXPECT_EQ(m_window->SipPage()->RegistrarBox()->text(), QStringLiteral("changed.example"));

    // ".csv" anywhere in the path: loaded, every page back to what was saved; a text box of a page
    // hands the drop to the window instead of taking the path as text.
    m_window->Sheet()->setCurrentWidget(m_window->SipPage());
    DropOn(*m_window->SipPage()->RegistrarBox(), bak);
    EXPECT_EQ(DialPlanCells(), fetched);
    EXPECT_EQ(m_window->SipPage()->RegistrarBox()->text(), registrar);
    EXPECT_TRUE(script.Messages().empty());
}

TEST_F(MainDlgTest, LoadButtonReadsTheChosenFile) {
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());
    const std::vector<QString> before = DialPlanCells();
    const QString path = WriteFileWithEntry5(QStringLiteral("one.csv"));
    ASSERT_FALSE(path.isEmpty());
    m_window->Port().SetFileChoosers(nullptr,
                                     [&]() -> std::optional<std::string> { return path.toStdString(); });
    QTest::mouseClick(m_window->LoadButton(), Qt::LeftButton);
    EXPECT_EQ(Entry5Phone(), QStringLiteral("4711"));
    EXPECT_NE(DialPlanCells(), before);
    EXPECT_TRUE(script.Messages().empty());
}

TEST_F(MainDlgTest, TheFileTheProgramStartsWithIsLoadedAfterTheFirstFetchOnlyAndALaterCopysAtOnce) {
    const QString path = WriteFileWithEntry5(QStringLiteral("start.csv"));
    ASSERT_FALSE(path.isEmpty());
    m_window->OpenAfterFirstConnect(path);
    UserScript script({PickRouter(QString::fromLatin1(kOnePortIp)), TypePassword(QStringLiteral("admin"))});
    ASSERT_TRUE(ShowAndConnect());
    ASSERT_EQ(m_outcomes.back(), ConnectOutcome::Connected);
    // Loaded over what the router sent, not before the fetch replaced it.
    EXPECT_EQ(Entry5Phone(), QStringLiteral("4711"));
    EXPECT_TRUE(script.Messages().empty());

    m_window->DialPlanPage()->ClearAll();
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    QTest::mouseClick(m_window->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return m_outcomes.size() == 2; }));
    EXPECT_EQ(Entry5Phone(), QString());

    // A later copy started with the file ("Open with" while the program runs).
    m_window->OpenFromAnotherCopy(path);
    EXPECT_EQ(Entry5Phone(), QStringLiteral("4711"));

    // After a failed exchange (a rejected password, then Cancel) a handed-over file waits for no later
    // success.
    m_window->DialPlanPage()->ClearAll();
    script.Add(PickRouter(QString::fromLatin1(kOnePortIp)));
    script.Add(TypePassword(QStringLiteral("wrong")));
    script.Add(
        [](QWidget* modal) { return qobject_cast<CRouterInfoDlg*>(modal) != nullptr && modal->close(); });
    QTest::mouseClick(m_window->ApplyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return script.AllDone() && QApplication::activeModalWidget() == nullptr; }));
    m_window->OpenFromAnotherCopy(path);
    EXPECT_EQ(Entry5Phone(), QStringLiteral("4711"));
}

// --- language ---------------------------------------------------------------------------------------

TEST_F(MainDlgTest, LanguageSwitchRelabelsEveryWindowAmongTheThreeLanguages) {
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());

    const std::map<std::string, std::string> english = TextsOf(0);
    int step = 0;
    for (int n : {1, 2, 0, 2}) {
        SCOPED_TRACE("language " + std::to_string(n) + " step " + std::to_string(step++));
        const std::map<std::string, std::string> texts = TextsOf(n);
        int preselected = -2;
        script.Add(ChooseLanguage(n, &preselected));
        QTest::mouseClick(m_window->LanguageButton(), Qt::LeftButton);
        EXPECT_EQ(script.StepsDone(), static_cast<std::size_t>(1 + step));
        EXPECT_EQ(m_profile->value(QStringLiteral("Settings/Language")).toInt(), n);
        EXPECT_EQ(m_window->Language().CurrentLanguage(), n);

        // English texts that this language says differently, and that it does not use elsewhere.
        std::set<QString> values;
        for (const auto& [key, text] : texts) values.insert(QString::fromStdString(text));
        std::set<QString> oldOnly;
        for (const auto& [key, text] : english) {
            const auto other = texts.find(key);
            const QString old = QString::fromStdString(text);
            if (other != texts.end() && other->second != text && values.count(old) == 0) oldOnly.insert(old);
        }
        for (const auto& [where, text] : ShownTexts(true)) {
            EXPECT_FALSE(text.contains(QStringLiteral("####")))
                << where.toStdString() << " " << text.toStdString();
            if (n != 0) {
                EXPECT_EQ(oldOnly.count(text), 0u)
                    << where.toStdString() << " still in English: " << text.toStdString();
            }
        }
        // The window's own captions come from the new language.
        EXPECT_EQ(m_window->windowTitle().toStdString(), texts.at("Router_Tool"));
        EXPECT_EQ(m_window->ApplyButton()->text().toStdString(), texts.at("Button_Apply"));
        EXPECT_EQ(m_window->LanguageButton()->text().toStdString(), texts.at("Button_Language"));
        EXPECT_EQ(m_window->SearchButton()->text().toStdString(), texts.at("Button_Search"));
        EXPECT_EQ(m_window->Sheet()->tabText(3).toStdString(), texts.at("Log_Title"));
    }

    // A dialog opened after the switch speaks the language too.
    QString selectTitle;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton, &selectTitle));
    QTest::mouseClick(m_window->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return m_outcomes.size() == 2; }));
    EXPECT_EQ(selectTitle.toStdString(), TextsOf(2).at("Select_Title"));
}

TEST_F(MainDlgTest, LanguageDialogPreselectsTheStoredChoiceButTheWindowStartsInEnglish) {
    m_profile->setValue(QStringLiteral("Settings/Language"), 2);
    Make();
    EXPECT_EQ(m_window->ApplyButton()->text().toStdString(), TextsOf(0).at("Button_Apply"));
    int preselected = -2;
    UserScript script;
    script.Add([&](QWidget* modal) {
        auto* dialog = qobject_cast<CLanguageDlg*>(modal);
        if (dialog == nullptr) return false;
        preselected = dialog->LanguageList()->currentIndex();
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        return true;
    });
    m_window->RunLanguageFlow();
    EXPECT_EQ(preselected, 2);
    EXPECT_EQ(m_window->ApplyButton()->text().toStdString(), TextsOf(0).at("Button_Apply"));
    EXPECT_EQ(m_profile->value(QStringLiteral("Settings/Language")).toInt(), 2);
}

// --- tray, minimise, About ------------------------------------------------------------------------------

TEST_F(MainDlgTest, WithoutATrayHostMinimisingKeepsTheWindowAnOrdinaryMinimisedWindow) {
    if (m_window->Tray().IsEnabled()) GTEST_SKIP() << "a tray host is running here";
    UserScript script;
    script.Add(PressInSelect(&CSelectRouterDlg::SkipButton));
    ASSERT_TRUE(ShowAndConnect());
    m_window->showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(m_window->isMinimized());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->IsHiddenInTray());
    EXPECT_FALSE(m_window->Tray().MenuActive());
    EXPECT_TRUE(m_window->Workflow().Exchange().MainWindowVisible());
    EXPECT_TRUE(m_finished.empty());
}

TEST_F(MainDlgTest, HiddenInTheTrayTheLogRefreshesSilentlyAndOpenBringsTheWindowBack) {
    ASSERT_TRUE(ConnectTo(kTwoPortIp));
    m_window->HideToTray();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_window->Tray().MenuActive());
    EXPECT_FALSE(m_window->Workflow().Exchange().MainWindowVisible());

    ASSERT_EQ(m_sim.Control("addcall 127.0.0.2 01-02-2031 03:04:05 42 IN 10.9.8.7 5060").rfind("OK", 0), 0u);
    const int shownBefore =
        m_window->Port().ProgressWindow() ? m_window->Port().ProgressWindow()->TimesShown() : 0;
    UserScript script;
    RefreshOutcome outcome = RefreshOutcome::Counted;
    for (int tick = 0;
         tick < 400 && outcome != RefreshOutcome::Refreshed && outcome != RefreshOutcome::Failed; ++tick) {
        outcome = m_window->Workflow().RefreshTick();
    }
    ASSERT_EQ(outcome, RefreshOutcome::Refreshed);
    const int shownAfter =
        m_window->Port().ProgressWindow() ? m_window->Port().ProgressWindow()->TimesShown() : 0;
    EXPECT_EQ(shownAfter, shownBefore);
    EXPECT_TRUE(script.Messages().empty());
    EXPECT_EQ(m_window->LogPage()->List()->item(0, 1)->text(), QStringLiteral("01-02-2031"));
    EXPECT_FALSE(m_window->isVisible());

    // The tray's Open (a double click sends it too) restores the window.
    m_window->HandleTrayCommand(CSystemTray::kOpen);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->isMinimized());
    EXPECT_FALSE(m_window->Tray().MenuActive());
    EXPECT_TRUE(m_window->Workflow().Exchange().MainWindowVisible());

    // About from the tray and from the window's menu; Exit from the tray ends the window.
    std::vector<QString> about;
    script.Add(ConfirmAbout(&about));
    m_window->HandleTrayCommand(CSystemTray::kAbout);
    script.Add(ConfirmAbout(&about));
    m_window->WindowMenu()->actions().front()->trigger();
    const std::vector<QString> once = {QStringLiteral("About Dezadav"),
                                       QStringLiteral("Dezadav Version 1.0")};
    std::vector<QString> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(about, twice);
    // While a transcript is written, the box says where.
    about.clear();
    m_window->SetTranscriptPath(QStringLiteral("/tmp/t.txt"));
    script.Add(ConfirmAbout(&about));
    m_window->HandleTrayCommand(CSystemTray::kAbout);
    EXPECT_EQ(about.back(), QStringLiteral("Transcript: /tmp/t.txt"));
    EXPECT_TRUE(m_finished.empty());
    m_window->HandleTrayCommand(CSystemTray::kExit);
    EXPECT_EQ(m_finished, std::vector<int>{QDialog::Rejected});
}

}  // namespace
}  // namespace dezadav
