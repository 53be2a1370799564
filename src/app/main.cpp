// The windowed program: one copy per user, running its main window until the window ends.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/app_options.h"
#include "app/demo_pilot.h"
#include "app/single_instance.h"
#include "ui/main_dlg.h"
#include "ui/pictures.h"

int main(int argc, char** argv) {
    // Read before the window system is touched, so --help works without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const dezadav::AppParseResult parsed = dezadav::ParseAppArguments(arguments);
    if (parsed.help) {
        std::fputs(dezadav::AppHelpText().c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "dezadav: %s\n%s", parsed.error.c_str(), dezadav::AppHelpText().c_str());
        return 2;
    }
    const dezadav::AppOptions& options = *parsed.options;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zezidez"));
    QApplication::setApplicationName(QStringLiteral("Dezadav"));
    QGuiApplication::setDesktopFileName(QStringLiteral("dezadav"));
    QApplication::setWindowIcon(dezadav::ProgramIcon());
    // The window hides itself into the tray; only its end ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second copy brings the running one to the front and ends, silently. Without any place for
    // the lock the program cannot tell whether another copy runs: it runs, and says so.
    dezadav::SingleInstanceLock lock;
    if (!lock.TryAcquire()) {
        if (!lock.LockUnavailable()) {
            lock.ActivateRunningCopy();
            return 0;
        }
        std::fprintf(stderr, "dezadav: cannot create the single-instance lock %s; starting without it\n",
                     qPrintable(lock.LockPath()));
    }

    dezadav::MainDlgOptions windowOptions;
    windowOptions.discovery.target = options.broadcast;
    windowOptions.discovery.port = options.discoveryPort;
    windowOptions.telnetPort = options.telnetPort;
    dezadav::CMainDlg window(windowOptions);
    QObject::connect(&window, &QDialog::finished, &app, [] { QApplication::exit(0); });
    lock.ListenForActivation([&window] { window.BringToFront(); });

    std::unique_ptr<dezadav::DemoPilot> pilot;
    if (options.demoScript) {
        const char* password = std::getenv("DEZADAV_PASSWORD");
        pilot = std::make_unique<dezadav::DemoPilot>(window, QString::fromStdString(*options.demoScript),
                                                     password != nullptr ? password : "admin", stdout);
    }
    window.show();
    app.exec();
    return pilot ? pilot->ExitCode() : 0;
}
