// Test helper: the main window on the current display, with its tray icon. Without arguments it
// leaves Select Router with Skip (the search goes to a socket of its own on loopback); given the
// emulator's telnet port, discovery address and port it connects to 127.0.0.2 with the password
// "admin", refreshes the call log every 10 s and answers every question of an apply with its default.
// It reports on stdout:
// "enabled=<0|1> <x> <y> <w> <h>" for the icon, and "state hidden=<0|1> visible=<0|1> menu=<0|1>
// progress=<0|1>" whenever the window's state changes (hidden in the tray, on screen, tray menu
// offered, progress box shown for log refreshes); "window=<id>" after the icon line gives the
// window's X id; "exchange" when an apply's exchange has begun, "boxes=<n>" (the times a progress box
// was shown) after each exchange that showed one. The line "front" on its standard input brings the window to
// the front as a second copy of the program asks; "apply" switches dial-plan entry 3 on or off and presses
// Apply to Router. Ends when its standard input closes, or after 90 s.
#include <unistd.h>

#include <QApplication>
#include <QHostAddress>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "connect_answers.h"
#include "ui/progress_window.h"
#include "ui/router_info_dlg.h"
#include "ui/skin_button.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As the program: a window hidden in the tray ends nothing.
    QApplication::setQuitOnLastWindowClosed(false);
    QUdpSocket sink;
    if (!sink.bind(QHostAddress::LocalHost, 0)) return 1;
    const bool connect = argc == 4;
    dezadav::ApplicationOptions options;
    options.broadcast = connect ? argv[2] : "127.0.0.1";
    options.discoveryPort = connect ? static_cast<std::uint16_t>(std::stoi(argv[3])) : sink.localPort();
    if (connect) options.telnetPort = static_cast<std::uint16_t>(std::stoi(argv[1]));
    options.noHistory = true;
    dezadav::Application application(options);
    dezadav::CMainDlg& window = application.Window();

    QTimer skip;
    QObject::connect(&skip, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* select = qobject_cast<dezadav::CSelectRouterDlg*>(modal); select != nullptr && !connect)
            return select->SkipButton()->click();
        if (dezadav::testing::AnswerConnect(modal)) return;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    });
    skip.start(50);
    int boxesShown = 0;
    bool applying = false;

    QTimer report;
    int waited = 0;
    QString last;
    QObject::connect(&window, &dezadav::CMainDlg::connectFinished, [&] {
        if (!connect) skip.stop();
        window.Workflow().SetRefreshSeconds(10);
        report.start(100);
    });
    QObject::connect(&report, &QTimer::timeout, [&] {
        // The host places the icon after it has been shown; report once it has a place.
        if (waited >= 0) {
            const QRect area = window.Tray().NotificationAreaRect();
            const bool enabled = window.Tray().IsEnabled();
            const bool placed = enabled && area.width() > 0 && area.width() < 100;
            if (!placed && enabled && ++waited < 50) return;
            std::printf("enabled=%d %d %d %d %d\n", enabled ? 1 : 0, area.x(), area.y(), area.width(),
                        area.height());
            std::printf("window=%llu\n", static_cast<unsigned long long>(window.winId()));
            waited = -1;
        }
        const QString state = QStringLiteral("state hidden=%1 visible=%2 menu=%3 progress=%4")
                                  .arg(window.IsHiddenInTray() ? 1 : 0)
                                  .arg(window.isVisible() ? 1 : 0)
                                  .arg(window.Tray().MenuActive() ? 1 : 0)
                                  .arg(window.Workflow().Exchange().MainWindowVisible() ? 1 : 0);
        if (state != last) {
            std::printf("%s\n", state.toLatin1().constData());
            last = state;
        }
        if (applying && window.Workflow().Exchange().Running()) {
            std::printf("exchange\n");
            applying = false;
        }
        const dezadav::CProgressWindow* progress = window.Port().ProgressWindow();
        const int shown = progress != nullptr ? progress->TimesShown() : 0;
        if (!window.Workflow().Exchange().Running() && shown != boxesShown) {
            boxesShown = shown;
            std::printf("boxes=%d\n", boxesShown);
        }
        std::fflush(stdout);
    });

    std::string input;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            app.quit();
            return;
        }
        if (byte != '\n') {
            input += byte;
            return;
        }
        if (input == "front") window.BringToFront();
        if (input == "apply") {
            dezadav::DialPlanTable& dialPlan = window.Workflow().Pages().DialPlan();
            dezadav::DialPlanEntry entry = dialPlan.Entry(2);
            entry.statusMark = entry.statusMark == "V" ? "-" : "V";
            dialPlan.SetEntry(2, entry);
            applying = true;
            QTimer::singleShot(0, window.ApplyButton(), &QAbstractButton::click);
        }
        input.clear();
    });
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    QTimer::singleShot(90000, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
