// Every window and dialog of the program in each of the three languages and both router forms,
// against the router emulator, the main window also grown far beyond its designed size: no text cut
// (a label's text wider than the label, a button's caption wider than the button, a list that scrolls
// sideways or cuts a column title or a cell), no control over another, a maximise box on the windows
// that grow (the main window, Select Router, History, Confirm Changes) and none on the fixed-size
// ones, every control named for screen readers and reached by Tab in reading order (down the rows, a
// new column or group box read after the one before it), and every text of the window's own (tray
// menu, About, banner, first dial-plan column) translated. This is the guard for every later change
// of a layout or a text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <vector>

#include "app/application.h"
#include "support/routersim_process.h"
#include "ui/confirm_changes_dlg.h"
#include "ui/dialog_driving.h"
#include "ui/history_dlg.h"
#include "ui/language_dlg.h"
#include "ui/main_dlg.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/pages/index_info_dlg.h"
#include "ui/router_info_dlg.h"
#include "ui/select_router_dlg.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::RouterSimProcess;
using testing::RowWithIp;
using testing::UserScript;

constexpr int kWaitMs = 30000;

// What is wrong with the looks of the windows checked so far, one line per fault.
class LooksCheck {
public:
    QStringList faults;

    void Check(QWidget* window, const QString& where) {
        // Lets the lists fit their columns and their scroll bars follow: each fit waits for the event
        // loop, and a loaded machine may need several turns of it. A list that never fits fails below.
        QTest::qWait(50);
        (void)QTest::qWaitFor(
            [window] {
                const auto lists = window->findChildren<QTableView*>();
                return std::none_of(lists.begin(), lists.end(), [](const QTableView* list) {
                    return list->isVisible() && list->horizontalScrollBar()->maximum() > 0;
                });
            },
            2000);
        const QString place = where + QStringLiteral(" / ") + window->windowTitle() + QStringLiteral(": ");
        const Qt::WindowFlags flags = window->windowFlags();
        const bool dialog = qobject_cast<CMainDlg*>(window) == nullptr;
        const bool grows = !dialog || qobject_cast<CSelectRouterDlg*>(window) != nullptr ||
                           qobject_cast<CHistoryDlg*>(window) != nullptr ||
                           qobject_cast<CConfirmChangesDlg*>(window) != nullptr;
        if (!(flags & Qt::CustomizeWindowHint) || grows != bool(flags & Qt::WindowMaximizeButtonHint) ||
            (dialog && (flags & Qt::WindowMinimizeButtonHint))) {
            faults << place + (grows ? QStringLiteral("offers no maximise box or a minimise box")
                                     : QStringLiteral("offers a maximise or minimise box"));
        }
        // The window's own controls and those of each page of a tab sheet lie side by side.
        std::vector<QWidget*> layers{window};
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->parentWidget() != nullptr && widget->parentWidget()->inherits("QStackedWidget"))
                layers.push_back(widget);
        }
        for (QWidget* layer : layers) {
            if (!layer->isVisible()) continue;
            const QString overlap = Overlap(layer);
            if (!overlap.isEmpty()) faults << place + overlap;
        }
        std::vector<QWidget*> chain;  // the controls Tab reaches, in its order
        QWidget* next = window->nextInFocusChain();
        for (int steps = 0; next != window && steps < 1000; ++steps, next = next->nextInFocusChain()) {
            if (next->window() == window && TakesTab(next)) chain.push_back(next);
        }
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->window() != window || !widget->isVisible()) continue;
            const QString cut = Cut(widget);
            const QString what = QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ');
            if (!cut.isEmpty()) faults << place + what + cut;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            if (TakesTab(widget) &&
                (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty())) {
                faults << place + what + QStringLiteral("has no accessible name");
            }
        }
        // Each control Tab reaches lies to the right in the same row, or further down, or at the top of
        // a column wholly to the right of the control before (the next group box, port 2's column).
        for (std::size_t i = 1; i < chain.size(); ++i) {
            const QRect before(chain[i - 1]->mapTo(window, QPoint(0, 0)), chain[i - 1]->size());
            const int middle = chain[i]->mapTo(window, QPoint(0, chain[i]->height() / 2)).y();
            const int left = chain[i]->mapTo(window, QPoint(0, 0)).x();
            const bool sameRow = middle >= before.top() && middle <= before.bottom();
            if (sameRow ? left <= before.left() : middle <= before.bottom() && left <= before.right()) {
                faults << place + QString::fromLatin1(chain[i]->metaObject()->className()) +
                              QStringLiteral(" out of reading order by Tab");
            }
        }
    }

private:
    // Two visible children of `parent` that cover each other, or nothing. A group box frames the
    // controls placed over it.
    static QString Overlap(QWidget* parent) {
        std::vector<QWidget*> children;
        for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && !child->isWindow() && qobject_cast<QGroupBox*>(child) == nullptr)
                children.push_back(child);
        }
        for (std::size_t i = 0; i < children.size(); ++i) {
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                if (children[i]->geometry().intersects(children[j]->geometry())) {
                    return QStringLiteral("%1 '%2' lies over %3 '%4'")
                        .arg(QString::fromLatin1(children[i]->metaObject()->className()), children[i]->objectName(),
                             QString::fromLatin1(children[j]->metaObject()->className()), children[j]->objectName());
                }
            }
        }
        return QString();
    }

    // The page sheet passes the focus to its tab bar, whose tabs carry the names.
    static bool TakesTab(const QWidget* widget) {
        return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
               !widget->inherits("QTabBar") && !widget->inherits("QTabWidget");
    }

    // How the widget's text is cut, or nothing.
    static QString Cut(QWidget* widget) {
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const QRect room = label->contentsRect();
            const bool cut = label->wordWrap() ? label->heightForWidth(room.width()) > room.height()
                                               : metrics.horizontalAdvance(label->text()) > room.width();
            return cut ? QStringLiteral("'%1' does not fit").arg(label->text()) : QString();
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const bool skin = qobject_cast<CSkinButton*>(widget) != nullptr;
            // The mnemonic's marker is not drawn.
            const QString shown =
                QString(button->text()).remove(QRegularExpression(QStringLiteral("&(?!&)")));
            const int needed = skin ? metrics.horizontalAdvance(shown) + 2 : button->sizeHint().width();
            return needed > button->width() ? QStringLiteral("'%1' is cut").arg(button->text()) : QString();
        }
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            const bool cut = metrics.horizontalAdvance(group->title()) + 16 > group->width();
            return cut ? QStringLiteral("title '%1' does not fit").arg(group->title()) : QString();
        }
        auto* list = qobject_cast<QTableView*>(widget);
        if (list == nullptr) return QString();
        if (list->tabKeyNavigation()) return QStringLiteral("keeps Tab among its cells");
        if (list->horizontalScrollBar()->maximum() > 0)
            return list->objectName() + QStringLiteral(" scrolls sideways");
        const QHeaderView* header = list->horizontalHeader();
        const QAbstractItemView* view = list;
        for (int column = 0; column < header->count(); ++column) {
            const int width = header->sectionSize(column);
            if (width > 0 &&
                (header->sectionSizeHint(column) > width || view->sizeHintForColumn(column) > width)) {
                return QStringLiteral("column '%1' is cut")
                    .arg(list->model()->headerData(column, Qt::Horizontal).toString());
            }
        }
        return QString();
    }
};

// Runs `flow`, which opens a dialog of type Dialog modally, checks that dialog and closes it.
template <typename Dialog>
void CheckModal(LooksCheck& looks, const QString& where, const std::function<void()>& flow, QWidget* owner) {
    UserScript script({[&](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (dialog == nullptr || modal == owner) return false;
        looks.Check(dialog, where);
        dialog->reject();
        return true;
    }});
    flow();
    EXPECT_TRUE(script.AllDone()) << where.toStdString();
}

TEST(WindowLooks, EveryWindowInEveryLanguageShowsItsTextsWholeNamesItsControlsAndTabsInReadingOrder) {
    // Switching languages stores the choice: in a profile of this test's own, not the user's.
    QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R9990X"});
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    ApplicationOptions options;
    options.broadcast = sim.DiscoveryAddress();
    options.discoveryPort = sim.DiscoveryPort();
    options.telnetPort = sim.TelnetPort();
    options.noHistory = true;
    Application application(options);
    CMainDlg& window = application.Window();
    int connects = 0;
    QObject::connect(&window, &CMainDlg::connectFinished, [&connects] { ++connects; });
    LooksCheck looks;
    {
        UserScript skip({[](QWidget* modal) {
            auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
            if (dialog != nullptr) dialog->SkipButton()->click();
            return dialog != nullptr;
        }});
        window.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 1; }, kWaitMs));
    }

    // The window's own texts that no page shows, as they read in the language of the moment.
    const auto ownTexts = [&window] {
        QStringList texts;
        for (const QAction* action : window.Tray().Menu()->actions()) {
            if (!action->isSeparator()) texts << action->text();
        }
        texts << window.WindowMenu()->actions().constFirst()->text();
        texts << window.findChild<QLabel*>(QStringLiteral("bannerSubtitle"))->text();
        texts << window.DialPlanPage()->List()->horizontalHeaderItem(0)->text();
        UserScript about({[&texts](QWidget* modal) {
            auto* box = qobject_cast<QDialog*>(modal);
            if (box == nullptr) return false;
            texts << box->windowTitle() << box->findChild<QLabel*>(QStringLiteral("aboutText"))->text();
            box->reject();
            return true;
        }});
        window.ShowAboutBox();
        return texts;
    };
    QStringList english;

    for (int language = 0; language < 3; ++language) {
        window.Language().SwitchLanguage(language);
        const QString inLanguage = QStringLiteral("language %1").arg(language);
        const QStringList own = ownTexts();
        if (language == 0) english = own;
        for (int i = 0; language > 0 && i < own.size(); ++i) {
            if (own[i] == english.value(i))
                looks.faults << inLanguage + QStringLiteral(": '%1' is not translated").arg(own[i]);
        }
        for (const QString& ip : {QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")}) {
            const QString where = inLanguage + QLatin1Char(' ') + ip;
            // Select Router with the line saying the model is not supported, then Confirm Password.
            UserScript script({[&](QWidget* modal) {
                                   auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
                                   QTableWidget* table = dialog != nullptr ? dialog->RouterTable() : nullptr;
                                   if (table == nullptr || table->rowCount() < 3) return false;
                                   table->selectRow(RowWithIp(*table, QStringLiteral("127.0.0.4")));
                                   dialog->OkButton()->click();
                                   looks.Check(dialog, where);
                                   table->selectRow(RowWithIp(*table, ip));
                                   dialog->OkButton()->click();
                                   return true;
                               },
                               [&](QWidget* modal) {
                                   auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
                                   if (dialog == nullptr) return false;
                                   looks.Check(dialog, where);
                                   dialog->PasswordBox()->setText(QStringLiteral("admin"));
                                   dialog->OkButton()->click();
                                   return true;
                               }});
            const int before = connects;
            window.SearchButton()->click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return connects > before; }, kWaitMs));
            ASSERT_TRUE(script.AllDone());
            // As designed, and grown as a maximised window on a large screen is.
            for (const QSize size : {window.minimumSize(), QSize(1900, 1000)}) {
                window.resize(size);
                for (int tab = 0; tab < window.Sheet()->count(); ++tab) {
                    window.Sheet()->setCurrentIndex(tab);
                    looks.Check(&window, where + QStringLiteral(" %1x%2").arg(size.width()).arg(size.height()));
                }
            }
            window.resize(window.minimumSize());
            window.DialPlanPage()->SetDialogRunner([&](CIndexInfoDlg& dialog) {
                dialog.show();
                looks.Check(&dialog, where);
                dialog.hide();
                return int(QDialog::Rejected);
            });
            window.DialPlanPage()->List()->selectRow(0);
            window.DialPlanPage()->EditSelectedEntry();
        }
        CheckModal<CLanguageDlg>(
            looks, inLanguage, [&] { window.RunLanguageFlow(); }, &window);
        CheckModal<QDialog>(
            looks, inLanguage, [&] { window.ShowAboutBox(); }, &window);
        CheckModal<CHistoryDlg>(
            looks, inLanguage, [&] { window.RunHistoryFlow(); }, &window);
        CheckModal<CConfirmChangesDlg>(
            looks, inLanguage,
            [&] {
                window.Port().ConfirmChanges(RouterStrip{"DZV-R5730K", "1.0.0", "127.0.0.2", ""},
                                             {{"Dial Plan 3", "Status", "-", "V"}});
            },
            &window);
    }
    window.Workflow().SetAutoRefresh(false);
    EXPECT_TRUE(looks.faults.isEmpty()) << looks.faults.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace dezadav
