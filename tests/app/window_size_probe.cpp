// Test helper: the main window on the current display against the router emulator, connecting to
// 127.0.0.2 with the password "admin" by itself. Arguments: telnet port, discovery address, discovery
// port. After the Connect sequence, and after each line on its standard input, it prints (once the
// window system has had half a second) "rows=<dial-plan rows shown whole> size=<W>x<H>
// title=<x>,<y>", the title being a point on the window's title bar in screen coordinates. Ends when
// its standard input closes, or after 60 s; the window keeps its size and place as when the program
// ends.
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "ui/pages/dial_plan_page.h"
#include "ui/router_info_dlg.h"
#include "ui/select_router_dlg.h"
#include "ui/skin_button.h"

namespace {

int RowsShownWhole(const QTableWidget& list) {
    int rows = 0;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.viewport()->rect().contains(list.visualRect(list.model()->index(row, 0)))) ++rows;
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) return 2;
    dezadav::ApplicationOptions options;
    options.telnetPort = static_cast<std::uint16_t>(std::stoi(argv[1]));
    options.broadcast = argv[2];
    options.discoveryPort = static_cast<std::uint16_t>(std::stoi(argv[3]));
    options.noHistory = true;
    dezadav::Application application(options);
    dezadav::CMainDlg& window = application.Window();

    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* select = qobject_cast<dezadav::CSelectRouterDlg*>(modal)) {
            const auto found = select->RouterTable()->findItems(QStringLiteral("127.0.0.2"), Qt::MatchExactly);
            if (found.isEmpty()) return;
            select->RouterTable()->selectRow(found.front()->row());
            select->OkButton()->click();
        } else if (auto* password = qobject_cast<dezadav::CRouterInfoDlg*>(modal)) {
            password->PasswordBox()->setText(QStringLiteral("admin"));
            password->OkButton()->click();
        }
    });
    answer.start(50);
    const auto report = [&window] {
        QTimer::singleShot(500, [&window] {
            const QRect frame = window.frameGeometry();
            std::printf("rows=%d size=%dx%d title=%d,%d\n", RowsShownWhole(*window.DialPlanPage()->List()),
                        window.width(), window.height(), frame.center().x(),
                        (frame.top() + window.geometry().top()) / 2);
            std::fflush(stdout);
        });
    };
    QObject::connect(&window, &dezadav::CMainDlg::connectFinished, report);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) return app.quit();
        if (byte == '\n') report();
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
