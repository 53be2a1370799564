// Test helper: puts the program's tray icon up on the current display and reports on stdout what
// happens to it: "enabled=<0|1> <x> <y> <w> <h>" first, then "menu" when the tray menu opens and
// "command=<id>" for every command. With the argument "hidden" it behaves as while the main window
// is hidden in the tray. Ends when its standard input closes, or after 30 s.
#include <QApplication>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "ui/system_tray.h"
#include "ui/pictures.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dezadav::CSystemTray tray;
    const bool enabled = tray.AddTrayIcon(QStringLiteral("Dezadav"), dezadav::ProgramIcon());
    tray.SetDefaultMenuItem(2, true);
    tray.SetMenuActive(argc > 1 && std::strcmp(argv[1], "hidden") == 0);
    QObject::connect(tray.Menu(), &QMenu::aboutToShow, [] {
        std::puts("menu");
        std::fflush(stdout);
    });
    QObject::connect(&tray, &dezadav::CSystemTray::CommandRequested, [](int command) {
        std::printf("command=%d\n", command);
        std::fflush(stdout);
    });
    // The host places the icon after it has been shown; report once it has a place.
    int waited = 0;
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        const QRect area = tray.NotificationAreaRect();
        const bool placed = enabled && area.width() > 0 && area.width() < 100;
        if (!placed && enabled && ++waited < 50) return;
        std::printf("enabled=%d %d %d %d %d\n", enabled ? 1 : 0, area.x(), area.y(), area.width(), area.height());
        std::fflush(stdout);
        report.stop();
    });
    report.start(100);
    QSocketNotifier stdinClosed(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinClosed, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) app.quit();
    });
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec();
}
