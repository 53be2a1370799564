// Test helper: a window with a text box and a button, and the progress box of a router exchange over
// it. Lines on its standard input drive it: "show" puts the box up as an automatic refresh does and
// answers "up" once it is on screen; "hide" takes it down; "report" answers "text=<the text box's
// text> focus=<1 if the text box has the keyboard focus> clicks=<button clicks> busy=<1 while the busy
// cursor is up>". It prints
// "window=<X id> button=<x> <y>" (the button's centre on the screen) and "ready" once its window is
// active, and ends when its standard input closes, or
// after 60 s.
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

#include "ui/progress_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("progress focus probe"));
    window.resize(400, 300);
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    auto* button = new QPushButton(QStringLiteral("Apply"), &window);
    layout->addWidget(edit);
    layout->addWidget(button);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    dezadav::CProgressWindow progress(&window);
    window.show();
    edit->setFocus();

    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, [&] {
        if (!window.isActiveWindow()) return;
        ready.stop();
        const QPoint centre = button->mapToGlobal(button->rect().center());
        std::printf("window=%llu button=%d %d\nready\n", static_cast<unsigned long long>(window.winId()),
                    centre.x(), centre.y());
        std::fflush(stdout);
    });
    ready.start(50);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    auto run = [&](const QByteArray& command) {
        if (command == "show") {
            progress.ShowProgress(QStringLiteral("Get VoIP Log from router ..."), true);
            std::printf("up\n");
        } else if (command == "hide") {
            progress.HideProgress();
        } else if (command == "report") {
            // Keys handed on by a hide are posted: report once they have been delivered.
            QTimer::singleShot(200, [&] {
                const QCursor* cursor = QApplication::overrideCursor();
                std::printf("text=%s focus=%d clicks=%d busy=%d\n", qPrintable(edit->text()),
                            QApplication::focusWidget() == edit ? 1 : 0, clicks,
                            cursor != nullptr && cursor->shape() == Qt::BusyCursor ? 1 : 0);
                std::fflush(stdout);
            });
        }
        std::fflush(stdout);
    };
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[256];
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        pending.append(chunk, got);
        // Commands written one after the other can come in one read.
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray command = pending.left(end);
            pending.remove(0, end + 1);
            run(command);
        }
    });
    QTimer::singleShot(60000, &app, &QApplication::quit);
    return app.exec();
}
