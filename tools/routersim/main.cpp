// dezadav-routersim: emulates routers on loopback for the program, its tests and its demo.
#include <cstdio>
#include <string>
#include <vector>

#include "sim_config.h"
#include "sim_server.h"
#include "tty_session.h"

int main(int argc, char** argv) {
    using namespace dezadav::routersim;
    std::vector<std::string> args(argv + 1, argv + argc);
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(args, options, &error)) {
        std::fprintf(stderr, "dezadav-routersim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.tty) return RunTtySession(options);
    SimServer server(options);
    if (!server.Open(&error)) {
        std::fprintf(stderr, "dezadav-routersim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.ReadyLine().c_str());
    std::fflush(stdout);
    return server.Run();
}
