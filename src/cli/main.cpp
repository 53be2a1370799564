// dezadav-cli: discover routers, fetch, apply and read the call log from scripts.
#include <unistd.h>

#include <QCoreApplication>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/descriptor_stream.h"
#include "frontend/common_options.h"

int main(int argc, char** argv) {
    // Qt's own event loop rather than GLib's: a fleet run wakes hundreds of threads once per typed
    // byte each, and GLib's loop costs every wake-up its locking and source checks (a tenth of the
    // run's CPU). Set before the application object, which picks the loop.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    // The window's names, so that both programs keep one history in the user's data folder.
    dezadav::NameProgramForUserFolders();
    std::vector<std::string> args(argv + 1, argv + argc);
    dezadav::cli::DescriptorStreamBuf outBuffer(STDOUT_FILENO);
    dezadav::cli::DescriptorStreamBuf errBuffer(STDERR_FILENO);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    const int status = dezadav::cli::RunCli(args, out, err, dezadav::cli::ProcessPasswordSources,
                                            isatty(STDERR_FILENO) == 1);
    return dezadav::cli::FinishStandardStreams(status, outBuffer, errBuffer);
}
