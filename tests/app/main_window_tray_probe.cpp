// Test helper: the main window on the current display, with its tray icon. It leaves Select Router
// with Skip (the search goes to a socket of its own on loopback), then reports on stdout:
// "enabled=<0|1> <x> <y> <w> <h>" for the icon, and "state hidden=<0|1> visible=<0|1> menu=<0|1>
// progress=<0|1>" whenever the window's state changes (hidden in the tray, on screen, tray menu
// offered, progress box shown for log refreshes); "window=<id>" after the icon line gives the
// window's X id. The line "front" on its standard input brings the window to the front as a second
// copy of the program asks. Ends when its standard input closes, or after 60 s.
#include <unistd.h>

#include <QApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "ui/skin_button.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QUdpSocket sink;
    if (!sink.bind(QHostAddress::LocalHost, 0)) return 1;
    dezadav::ApplicationOptions options;
    options.broadcast = "127.0.0.1";
    options.discoveryPort = sink.localPort();
    options.noHistory = true;
    dezadav::Application application(options);
    dezadav::CMainDlg& window = application.Window();

    QTimer skip;
    QObject::connect(&skip, &QTimer::timeout, [&] {
        if (auto* select = qobject_cast<dezadav::CSelectRouterDlg*>(QApplication::activeModalWidget())) {
            select->SkipButton()->click();
        }
    });
    skip.start(50);

    QTimer report;
    int waited = 0;
    QString last;
    QObject::connect(&window, &dezadav::CMainDlg::connectFinished, [&] {
        skip.stop();
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
                                  .arg(window.Workflow().MainWindowVisible() ? 1 : 0);
        if (state != last) {
            std::printf("%s\n", state.toLatin1().constData());
            last = state;
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
        input.clear();
    });
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
