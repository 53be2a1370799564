// dezadav-cli: discover routers, fetch, apply and read the call log from scripts.
#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "frontend/common_options.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The window's names, so that both programs keep one history in the user's data folder.
    dezadav::NameProgramForUserFolders();
    std::vector<std::string> args(argv + 1, argv + argc);
    return dezadav::cli::RunCli(args, std::cout, std::cerr, dezadav::cli::ProcessPasswordSources,
                                isatty(STDERR_FILENO) == 1);
}
