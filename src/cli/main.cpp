// dezadav-cli: discover routers, fetch, apply and read the call log from scripts.
#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return dezadav::cli::RunCli(args, std::cout, std::cerr, dezadav::cli::ProcessPasswordSources,
                                isatty(STDERR_FILENO) == 1);
}
