// Test helper: the main window on the current display against the router emulator, with its history
// in a folder of the test's. Arguments: telnet port, discovery address, discovery port, history
// folder. It connects to 127.0.0.2 with the password "admin" by itself and prints "connected
// entry3=<status mark of dial-plan entry 3>" after each Connect sequence. It prints one line for
// each dialog that comes up: "preview <lines>" for Confirm Changes, "history <causes>" for History,
// "message <text>" for a message box (lines joined by " | "), "dialog <class>" for any other; and
// "view <lines>" when History's lower pane is filled. A line "list", "history", "undo" or "search"
// on its standard input selects dial-plan entry 3 and puts the keyboard focus on the dial-plan list
// or that button, then answers "ready enabled=<0|1>"; the keys come from the test. A line "size"
// answers "size rows=<dial-plan rows shown whole> <W>x<H>"; a line "maximise" asks the window manager
// to maximise the window, as its maximise box does, and answers as "size" does. After the line
// "manual" Select Router is no longer answered by the probe: it is reported as "dialog <class>" like
// any other, for the test's keys. Ends when its standard input closes, or after 60 s.
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <map>
#include <string>

#include "app/application.h"
#include "connect_answers.h"
#include "ui/confirm_changes_dlg.h"
#include "ui/history_dlg.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/router_info_dlg.h"
#include "ui/skin_button.h"

namespace {

QString Joined(const QListWidget& list) {
    QStringList lines;
    for (int row = 0; row < list.count(); ++row) lines << list.item(row)->text();
    return lines.join(QStringLiteral(" | "));
}

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Selects dial-plan entry 3 and focuses `control` once the dialog the keys before were for has gone,
// then says "ready".
void FocusOnceNoDialogIsOpen(dezadav::CMainDlg& window, QWidget* control) {
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(100, [&window, control] { FocusOnceNoDialogIsOpen(window, control); });
        return;
    }
    window.DialPlanPage()->List()->selectRow(2);
    window.activateWindow();
    control->setFocus();
    // Once the window manager has passed the focus on.
    QTimer::singleShot(
        500, [control] { Say(QStringLiteral("ready enabled=%1").arg(control->isEnabled() ? 1 : 0)); });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) return 2;
    dezadav::ApplicationOptions options;
    options.telnetPort = static_cast<std::uint16_t>(std::stoi(argv[1]));
    options.broadcast = argv[2];
    options.discoveryPort = static_cast<std::uint16_t>(std::stoi(argv[3]));
    options.historyFolder = argv[4];
    dezadav::Application application(options);
    dezadav::CMainDlg& window = application.Window();

    QWidget* lastModal = nullptr;
    QString lastView;
    bool answerSelection = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (dezadav::testing::AnswerConnect(modal, answerSelection)) return;
        if (auto* history = qobject_cast<dezadav::CHistoryDlg*>(modal)) {
            const QString view = Joined(*history->DifferenceList());
            if (!view.isEmpty() && view != lastView) Say(QStringLiteral("view ") + view);
            lastView = view;
        }
        if (modal == lastModal) return;
        lastModal = modal;
        if (auto* preview = qobject_cast<dezadav::CConfirmChangesDlg*>(modal)) {
            Say(QStringLiteral("preview ") + Joined(*preview->ChangeList()));
        } else if (auto* history = qobject_cast<dezadav::CHistoryDlg*>(modal)) {
            QStringList causes;
            for (int row = 0; row < history->RecordList()->rowCount(); ++row)
                causes << history->RecordList()->item(row, 1)->text();
            Say(QStringLiteral("history ") + causes.join(QLatin1Char(',')));
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Say(QStringLiteral("message ") + box->text().replace(QLatin1Char('\n'), QStringLiteral(" | ")));
        } else if (modal != nullptr) {
            Say(QStringLiteral("dialog ") + QString::fromLatin1(modal->metaObject()->className()));
        }
    });
    watch.start(50);
    QObject::connect(
        &window, &dezadav::CMainDlg::connectFinished, [&window](dezadav::ConnectOutcome outcome) {
            const std::string& status = window.Workflow().Pages().DialPlan().Entry(2).statusMark;
            Say(QString::fromLatin1(outcome == dezadav::ConnectOutcome::Connected ? "connected"
                                                                                  : "not connected") +
                QStringLiteral(" entry3=") + QString::fromStdString(status));
        });

    // The controls a line on the standard input puts the keyboard focus on.
    const std::map<std::string, QWidget*> controls = {{"list", window.DialPlanPage()->List()},
                                                      {"history", window.HistoryButton()},
                                                      {"undo", window.UndoButton()},
                                                      {"search", window.SearchButton()}};
    std::string input;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) return app.quit();
        if (byte != '\n') return input.push_back(byte);
        if (input == "manual") {
            answerSelection = false;
            return input.clear();
        }
        if (input == "size" || input == "maximise") {
            if (input == "maximise") window.showMaximized();
            input.clear();
            // Once the window manager has done what it was asked.
            return QTimer::singleShot(500, [&window] {
                const QTableWidget& list = *window.DialPlanPage()->List();
                int rows = 0;
                for (int row = 0; row < list.rowCount(); ++row)
                    rows += list.viewport()->rect().contains(list.visualRect(list.model()->index(row, 0))) ? 1 : 0;
                Say(QStringLiteral("size rows=%1 %2x%3").arg(rows).arg(window.width()).arg(window.height()));
            });
        }
        QWidget* control = controls.count(input) != 0 ? controls.at(input) : window.DialPlanPage()->List();
        input.clear();
        FocusOnceNoDialogIsOpen(window, control);
    });
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
