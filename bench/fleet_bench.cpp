// Many routers at once: dezadav-cli backs up 256 emulated routers in one run with its default options,
// against one fetch of one router in the same run. Both run as processes, the way a user runs them; each
// figure is the median of the runs. Wall time is from start to exit; CPU time is the child's user + system
// time.
//
// Like for like: both name their routers with --router and let each router report its model to a
// discovery request sent to its own address. A backup that finds its routers by one search also
// waits out the whole --wait window; that run is shown separately.
//
//   fleet_bench [runs] [routers]   (default 3 runs of 256 routers)
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "measured_run.h"
#include "support/routersim_process.h"

using dezadav::bench::Figures;
using dezadav::bench::Median;
using dezadav::bench::RunMeasured;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int kRouters = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 256) : 256;
    setenv("DEZADAV_PASSWORD", "admin", 1);

    dezadav::testing::RouterSimProcess sim({"--routers", std::to_string(kRouters)});
    if (!sim.IsRunning()) {
        std::fprintf(stderr, "the router emulator did not start\n");
        return 1;
    }
    const std::string cli = DEZADAV_CLI_PATH;
    const std::string telnetPort = std::to_string(sim.TelnetPort());
    const std::string discoveryPort = std::to_string(sim.DiscoveryPort());
    const auto folder =
        std::filesystem::temp_directory_path() / ("dezadav_fleet_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);

    // The history is on, as by default, but in a folder of the benchmark's: the first run records
    // every router, the later ones find their settings unchanged.
    const std::string history = (folder / "history").string();
    std::vector<std::string> backupByName = {
        cli,        "backup",           "--into",      (folder / "named").string(), "--telnet-port",
        telnetPort, "--discovery-port", discoveryPort, "--history",                 history};
    for (const std::string& ip : sim.RouterAddresses()) {
        backupByName.push_back("--router");
        backupByName.push_back(ip);
    }
    const std::vector<std::string> backupBySearch = {cli,
                                                     "backup",
                                                     "--into",
                                                     (folder / "found").string(),
                                                     "--telnet-port",
                                                     telnetPort,
                                                     "--broadcast",
                                                     sim.DiscoveryAddress(),
                                                     "--discovery-port",
                                                     discoveryPort,
                                                     "--wait",
                                                     "300",
                                                     "--history",
                                                     history};
    const std::vector<std::string> fetchOne = {cli,
                                               "fetch",
                                               "--router",
                                               "127.0.0.2",
                                               "--telnet-port",
                                               telnetPort,
                                               "--discovery-port",
                                               discoveryPort,
                                               "--output",
                                               (folder / "one.csv").string(),
                                               "--history",
                                               history};

    std::vector<Figures> single, named, searched;
    for (int run = 0; run < runs; ++run) {
        single.push_back(RunMeasured(fetchOne));
        named.push_back(RunMeasured(backupByName));
        searched.push_back(RunMeasured(backupBySearch));
    }
    const Figures one = Median(single);
    const Figures all = Median(named);
    const Figures found = Median(searched);
    std::filesystem::remove_all(folder);

    std::printf("runs: %d (medians)\n", runs);
    std::printf("fetch of 1 router:           wall %7.1f ms, cpu %6.1f ms\n", one.wallMs, one.cpuMs);
    std::printf("backup of %d routers (named): wall %7.1f ms, cpu %6.1f ms = %.1f ms per router\n", kRouters,
                all.wallMs, all.cpuMs, all.cpuMs / kRouters);
    std::printf("backup of %d routers (search, --wait 300): wall %7.1f ms, cpu %6.1f ms\n", kRouters,
                found.wallMs, found.cpuMs);
    std::printf(
        "wall %d / wall 1: %.2f (goal <= 1.3); cpu per router / cpu of one fetch: %.2f (goal <= 1.5)\n",
        kRouters, all.wallMs / one.wallMs, all.cpuMs / kRouters / one.cpuMs);
    const bool ok = one.exitCode == 0 && all.exitCode == 0 && found.exitCode == 0;
    if (!ok) std::printf("a run FAILED\n");
    return ok ? 0 : 1;
}
