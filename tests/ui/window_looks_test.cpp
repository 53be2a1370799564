// Every window and dialog of the program in each of the three languages and both router forms,
// against the router emulator: no text cut (a label's text wider than the label, a button's caption
// wider than the button, a list that scrolls sideways or cuts a column title or a cell), no
// maximise box on these fixed-size windows, every control named for screen readers and reached by
// Tab in reading order. This is the guard for every later change of a layout or a text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "support/routersim_process.h"
#include "ui/dialog_driving.h"
#include "ui/language_dlg.h"
#include "ui/main_dlg.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/pages/index_info_dlg.h"
#include "ui/router_info_dlg.h"
#include "ui/skin_button.h"

namespace dezadav {
namespace {

using testing::RouterSimProcess;
using testing::RowWithIp;
using testing::UserScript;

constexpr int kWaitMs = 30000;

// What is wrong with the looks of one window, one line per fault.
class LooksCheck {
public:
    void Check(QWidget* window, const QString& where) {
        QTest::qWait(50);  // lets the lists fit their columns and their scroll bars follow
        const QString place = where + QStringLiteral(" / ") + window->windowTitle();
        CheckFlags(window, place);
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->window() != window || !widget->isVisible()) continue;
            CheckTexts(widget, place);
            CheckName(widget, place);
        }
        CheckTabOrder(window, place);
    }

    const QStringList& Faults() const { return m_faults; }

private:
    void Fault(const QString& place, const QWidget* widget, const QString& what) {
        m_faults << place + QStringLiteral(": ") + QString::fromLatin1(widget->metaObject()->className()) +
                        QStringLiteral(" ") + what;
    }

    void CheckFlags(QWidget* window, const QString& place) {
        const Qt::WindowFlags flags = window->windowFlags();
        if (!(flags & Qt::CustomizeWindowHint) || (flags & Qt::WindowMaximizeButtonHint)) {
            Fault(place, window, QStringLiteral("offers a maximise box (flags %1)").arg(int(flags), 0, 16));
        }
        const bool mainWindow = qobject_cast<CMainDlg*>(window) != nullptr;
        if (!mainWindow && (flags & Qt::WindowMinimizeButtonHint)) {
            Fault(place, window, QStringLiteral("offers a minimise box"));
        }
    }

    void CheckTexts(QWidget* widget, const QString& place) {
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty()) return;
            const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                              -label->margin());
            const bool cut = label->wordWrap() ? label->heightForWidth(label->contentsRect().width()) > room.height()
                                               : metrics.horizontalAdvance(label->text()) > room.width();
            if (cut) Fault(place, widget, QStringLiteral("'%1' does not fit").arg(label->text()));
        } else if (auto* skin = qobject_cast<CSkinButton*>(widget)) {
            if (metrics.horizontalAdvance(skin->text()) > skin->width() - 2) {
                Fault(place, widget, QStringLiteral("'%1' is wider than the button").arg(skin->text()));
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->sizeHint().width() > button->width()) {
                Fault(place, widget, QStringLiteral("'%1' is wider than the box").arg(button->text()));
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (metrics.horizontalAdvance(group->title()) + 16 > group->width()) {
                Fault(place, widget, QStringLiteral("title '%1' does not fit").arg(group->title()));
            }
        } else if (auto* list = qobject_cast<QTableView*>(widget)) {
            if (list->tabKeyNavigation()) Fault(place, widget, QStringLiteral("keeps Tab among its cells"));
            if (list->horizontalScrollBar()->maximum() > 0) {
                Fault(place, widget, QStringLiteral("%1 scrolls sideways").arg(list->objectName()));
            }
            const QHeaderView* header = list->horizontalHeader();
            const QAbstractItemView* view = list;
            for (int column = 0; column < header->count(); ++column) {
                const int width = header->sectionSize(column);
                if (width == 0 || header->isSectionHidden(column)) continue;
                if (header->sectionSizeHint(column) > width || view->sizeHintForColumn(column) > width) {
                    const QString title = list->model()->headerData(column, Qt::Horizontal).toString();
                    Fault(place, widget, QStringLiteral("column '%1' is cut").arg(title));
                }
            }
        }
    }

    static bool TakesTab(const QWidget* widget) {
        // The page sheet passes the focus to its tab bar, whose tabs carry the names.
        return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
               qobject_cast<const QTabBar*>(widget) == nullptr && qobject_cast<const QTabWidget*>(widget) == nullptr;
    }

    void CheckName(QWidget* widget, const QString& place) {
        if (!TakesTab(widget)) return;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            Fault(place, widget, QStringLiteral("has no accessible name"));
        }
    }

    // Consecutive controls of the Tab chain go on row by row, left to right within a row.
    void CheckTabOrder(QWidget* window, const QString& place) {
        std::vector<QWidget*> chain;
        QWidget* widget = window->nextInFocusChain();
        for (int steps = 0; widget != window && steps < 1000; ++steps, widget = widget->nextInFocusChain()) {
            if (widget->window() == window && TakesTab(widget)) chain.push_back(widget);
        }
        for (std::size_t i = 1; i < chain.size(); ++i) {
            const QRect before(chain[i - 1]->mapTo(window, QPoint(0, 0)), chain[i - 1]->size());
            const QRect next(chain[i]->mapTo(window, QPoint(0, 0)), chain[i]->size());
            const bool sameRow = next.center().y() >= before.top() && next.center().y() <= before.bottom();
            const bool readOn = sameRow ? next.left() > before.left() : next.center().y() > before.bottom();
            if (!readOn) Fault(place, chain[i], QStringLiteral("comes out of reading order by Tab"));
        }
    }

    QStringList m_faults;
};

TEST(WindowLooks, EveryWindowInEveryLanguageShowsItsTextsWholeNamesItsControlsAndTabsInReadingOrder) {
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R9990X"});
    ASSERT_TRUE(sim.IsRunning()) << "router emulator did not start";
    MainDlgOptions options;
    options.discovery.target = sim.DiscoveryAddress();
    options.discovery.port = sim.DiscoveryPort();
    options.telnetPort = sim.TelnetPort();
    CMainDlg window(options);
    int connects = 0;
    QObject::connect(&window, &CMainDlg::connectFinished, [&connects] { ++connects; });
    LooksCheck looks;

    {
        UserScript script;
        script.Add([](QWidget* modal) {
            auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
            if (dialog != nullptr) dialog->SkipButton()->click();
            return dialog != nullptr;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 1; }, kWaitMs));
    }

    for (int language = 0; language < 3; ++language) {
        window.Language().SwitchLanguage(language);
        const QString inLanguage = QStringLiteral("language %1").arg(language);
        for (const char* ip : {"127.0.0.2", "127.0.0.3"}) {
            const QString where = inLanguage + QStringLiteral(" ") + QString::fromLatin1(ip);
            UserScript script;
            script.Add([&](QWidget* modal) {
                auto* dialog = qobject_cast<CSelectRouterDlg*>(modal);
                if (dialog == nullptr) return false;
                QTableWidget* table = dialog->RouterTable();
                const int unsupported = RowWithIp(*table, QStringLiteral("127.0.0.4"));
                const int wanted = RowWithIp(*table, QString::fromLatin1(ip));
                if (unsupported < 0 || wanted < 0 || RowWithIp(*table, QStringLiteral("127.0.0.2")) < 0 ||
                    RowWithIp(*table, QStringLiteral("127.0.0.3")) < 0) {
                    return false;
                }
                // With the line that says the model is not supported.
                table->selectRow(unsupported);
                dialog->OkButton()->click();
                looks.Check(dialog, where);
                table->selectRow(wanted);
                dialog->OkButton()->click();
                return true;
            });
            script.Add([&](QWidget* modal) {
                auto* dialog = qobject_cast<CRouterInfoDlg*>(modal);
                if (dialog == nullptr) return false;
                looks.Check(dialog, where);
                dialog->PasswordBox()->setText(QStringLiteral("admin"));
                dialog->OkButton()->click();
                return true;
            });
            const int before = connects;
            window.SearchButton()->click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return connects > before; }, kWaitMs));
            ASSERT_TRUE(script.AllDone());
            for (int tab = 0; tab < window.Sheet()->count(); ++tab) {
                window.Sheet()->setCurrentIndex(tab);
                looks.Check(&window, where);
            }
            window.DialPlanPage()->SetDialogRunner([&](CIndexInfoDlg& dialog) {
                dialog.show();
                looks.Check(&dialog, where);
                dialog.hide();
                return int(QDialog::Rejected);
            });
            window.DialPlanPage()->List()->selectRow(0);
            window.DialPlanPage()->EditSelectedEntry();
        }

        UserScript dialogs;
        dialogs.Add([&](QWidget* modal) {
            auto* dialog = qobject_cast<CLanguageDlg*>(modal);
            if (dialog == nullptr) return false;
            looks.Check(dialog, inLanguage);
            dialog->reject();
            return true;
        });
        window.RunLanguageFlow();
        dialogs.Add([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (dialog == nullptr || dialog == &window) return false;
            looks.Check(dialog, inLanguage);
            dialog->accept();
            return true;
        });
        window.ShowAboutBox();
        EXPECT_TRUE(dialogs.AllDone());
    }
    window.Workflow().SetAutoRefresh(false);
    EXPECT_TRUE(looks.Faults().isEmpty()) << looks.Faults().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace dezadav
