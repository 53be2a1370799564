// Test helper: takes the single-instance lock in the folder given as argument, prints "acquired" or
// "refused", and when it holds the lock keeps it until its standard input closes (or 60 s pass),
// printing "activated" (and the file to open, if any) for each request of a later copy. A second
// argument plays a copy that is still starting: "late-handler" listens at once but takes the requests
// only after 1 s; "deaf" never listens.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "app/single_instance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 3) return 2;
    const QByteArray mode = argc == 3 ? QByteArray(argv[2]) : QByteArray();
    dezadav::SingleInstanceLock lock(QString::fromLocal8Bit(argv[1]));
    if (!lock.TryAcquire()) {
        std::puts("refused");
        std::fflush(stdout);
        return 1;
    }
    const auto print = [](const QString& file) {
        // As the window's handler may (a progress box, a message box): a nested event loop.
        QEventLoop nested;
        QTimer::singleShot(200, &nested, &QEventLoop::quit);
        nested.exec();
        std::printf("activated%s%s\n", file.isEmpty() ? "" : " ", qPrintable(file));
        std::fflush(stdout);
    };
    if (mode == "late-handler") {
        lock.Listen();
        QTimer::singleShot(1000, &app, [&] { lock.SetActivationHandler(print); });
    } else if (mode != "deaf") {
        lock.ListenForActivation(print);
    }
    std::puts("acquired");
    std::fflush(stdout);
    QSocketNotifier stdinClosed(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinClosed, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) app.quit();
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
