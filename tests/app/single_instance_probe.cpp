// Test helper: takes the single-instance lock in the folder given as argument, prints "acquired" or
// "refused", and when it holds the lock keeps it until its standard input closes (or 60 s pass),
// printing "activated" (and the file to open, if any) for each request of a later copy.
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "app/single_instance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    dezadav::SingleInstanceLock lock(QString::fromLocal8Bit(argv[1]));
    if (!lock.TryAcquire()) {
        std::puts("refused");
        std::fflush(stdout);
        return 1;
    }
    lock.ListenForActivation([](const QString& file) {
        std::printf("activated%s%s\n", file.isEmpty() ? "" : " ", qPrintable(file));
        std::fflush(stdout);
    });
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
