// The windowed program: one copy per user, running its main window until the window ends.
#include <QApplication>
#include <cstdio>

#include "app/app_options.h"
#include "app/application.h"
#include "app/single_instance.h"
#include "frontend/common_options.h"
#include "lang/messages.h"
#include "ui/pictures.h"

int main(int argc, char** argv) {
    // Named first: the help gives the history's default folder, which the names decide.
    dezadav::NameProgramForUserFolders();
    // Read before the window system is touched, so --help works without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const dezadav::AppParseResult parsed = dezadav::ParseAppArguments(arguments);
    if (parsed.help) {
        std::fputs(dezadav::AppHelpText().c_str(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::fputs(dezadav::AppVersionText().c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fputs(
            (dezadav::WindowProgramErrorLine(parsed.error) + dezadav::TryHelpLine("dezadav --help")).c_str(),
            stderr);
        return 2;
    }
    const dezadav::AppOptions& options = *parsed.options;

    QApplication app(argc, argv);
    dezadav::PrepareWindowedProgram();

    // A second copy brings the running one to the front and ends, silently. Without any place for
    // the lock the program cannot tell whether another copy runs: it runs, and says so.
    dezadav::SingleInstanceLock lock;
    if (!lock.TryAcquire()) {
        if (!lock.LockUnavailable()) {
            // A file the second copy was started with ("Open with") opens in the running one.
            const QString file =
                options.settingsFile ? QString::fromStdString(*options.settingsFile) : QString();
            if (lock.ActivateRunningCopy(file)) return 0;
            // Ending quietly here would drop the file the user asked to open.
            const std::string silent = dezadav::RunningCopySilentText(file.toStdString());
            std::fputs(dezadav::WindowProgramErrorLine(silent).c_str(), stderr);
            return 1;
        }
        const std::string unlocked = dezadav::NoSingleInstanceLockText(lock.LockPath().toStdString());
        std::fputs(dezadav::WindowProgramErrorLine(unlocked).c_str(), stderr);
    }
    // Listening before the window is built: a copy started meanwhile is heard, its request kept.
    lock.Listen();

    dezadav::Application application{dezadav::ApplicationOptions(options.common)};
    dezadav::CMainDlg& window = application.Window();
    if (options.settingsFile) window.OpenAfterFirstConnect(QString::fromStdString(*options.settingsFile));
    QObject::connect(&window, &QDialog::finished, &app, [] { QApplication::exit(0); });
    lock.SetActivationHandler([&window](const QString& file) {
        window.BringToFront();
        if (!file.isEmpty()) window.OpenFromAnotherCopy(file);
    });
    window.show();
    return app.exec();
}
