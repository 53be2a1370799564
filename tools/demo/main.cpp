// dezadav-demo: the windowed program with a pilot that plays its user (see DemoPilot), taking a
// picture of each step into a folder. It takes the window's options and
//   --pictures FOLDER   where the pictures go (none without it)
// The routers' password comes from DEZADAV_PASSWORD, else the emulated routers' "admin".
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>

#include "app/app_options.h"
#include "app/application.h"
#include "app/single_instance.h"
#include "demo_pilot.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dezadav::PrepareWindowedProgram();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays the user of the Dezadav window against routers."));
    parser.addHelpOption();
    dezadav::AddCommonOptions(parser);
    const QCommandLineOption picturesOption(QStringLiteral("pictures"),
                                            QStringLiteral("Save a picture of each step into this folder."),
                                            QStringLiteral("folder"));
    parser.addOption(picturesOption);
    parser.process(app);
    dezadav::CommonOptions routers;
    if (const auto error = dezadav::ReadCommonOptions(parser, routers)) {
        std::fprintf(stderr, "dezadav-demo: %s\n", error->c_str());
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "dezadav-demo: unexpected argument\n");
        return 2;
    }

    // Started as the program is: one copy per user.
    dezadav::SingleInstanceLock lock;
    if (!lock.TryAcquire()) {
        std::fprintf(stderr, "dezadav-demo: a copy of the window is already running for this user\n");
        return 1;
    }

    dezadav::Application application{dezadav::ApplicationOptions(routers)};
    const char* password = std::getenv("DEZADAV_PASSWORD");
    dezadav::DemoPilot pilot(application.Window(), parser.value(picturesOption),
                             password != nullptr ? password : "admin", stdout);
    QObject::connect(&application.Window(), &QDialog::finished, &app, [] { QApplication::exit(0); });
    application.Window().show();
    app.exec();
    return pilot.ExitCode();
}
