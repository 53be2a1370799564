// The windowed program: one copy per user, running its window until the window closes.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>
#include <cstdio>

#include "app/app_options.h"
#include "app/single_instance.h"
#include "app/system_tray.h"
#include "lang/builtin_language_source.h"
#include "ui/language_text.h"
#include "ui/message_box_port.h"
#include "ui/pictures.h"
#include "ui/skin_button.h"

namespace {

// Until the main dialog is assembled: the banner, the program's title and an Exit button.
int RunWindow() {
    using namespace dezadav;
    QDialog window;
    window.setWindowTitle(UiText("Router_Tool"));
    window.setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(&window);
    auto* banner = new QLabel(&window);
    banner->setPixmap(BannerPicture(window.devicePixelRatioF()));
    layout->addWidget(banner);
    auto* exit = new CSkinButton(UiText("Button_Exit"), &window);
    exit->SetBitmaps(DialogButtonBitmaps());
    exit->setFixedSize(exit->sizeHint());
    layout->addWidget(exit, 0, Qt::AlignRight);
    QObject::connect(exit, &QPushButton::clicked, &window, &QDialog::reject);

    CSystemTray tray;
    tray.AddTrayIcon(QStringLiteral("Dezadav"), ProgramIcon());
    tray.SetDefaultMenuItem(2, true);
    QObject::connect(&tray, &CSystemTray::CommandRequested, &window, [&window](int command) {
        if (command == CSystemTray::kExit) window.reject();
        if (command == CSystemTray::kOpen) window.showNormal();
    });
    return window.exec();
}

}  // namespace

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
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zezidez"));
    QApplication::setApplicationName(QStringLiteral("Dezadav"));
    QGuiApplication::setDesktopFileName(QStringLiteral("dezadav"));
    QApplication::setWindowIcon(dezadav::ProgramIcon());

    // A second copy ends at once, silently.
    dezadav::SingleInstanceLock lock;
    if (!lock.TryAcquire()) return 0;

    dezadav::MessageBoxPort messages;
    dezadav::LoadBuiltinEnglish(&messages);
    RunWindow();
    return 0;
}
