// Many routers at once: dezadav-cli backs up 64 emulated routers in one run, against one fetch of
// one router in the same run. Both run as processes, the way a user runs them; each figure is the
// median of the runs. Wall time is from start to exit; CPU time is the child's user + system time.
//
// Like for like: both name their routers with --router and let each router report its model to a
// discovery request sent to its own address. A backup that finds its routers by one search also
// waits out the whole --wait window; that run is shown separately.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/routersim_process.h"

extern char** environ;

namespace {

struct Figures {
    double wallMs = 0;
    double cpuMs = 0;
    int exitCode = -1;
};

// Runs the program with `args` and waits for it, measuring its wall and CPU time.
Figures RunMeasured(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Figures figures;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return figures;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return figures;
    figures.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    figures.cpuMs = usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
                    usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
    figures.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return figures;
}

Figures Median(std::vector<Figures> runs) {
    Figures median;
    std::sort(runs.begin(), runs.end(),
              [](const Figures& a, const Figures& b) { return a.wallMs < b.wallMs; });
    median.wallMs = runs[runs.size() / 2].wallMs;
    std::sort(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) { return a.cpuMs < b.cpuMs; });
    median.cpuMs = runs[runs.size() / 2].cpuMs;
    median.exitCode = 0;
    for (const Figures& run : runs) median.exitCode = std::max(median.exitCode, run.exitCode);
    return median;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    constexpr int kRouters = 64;
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

    std::vector<std::string> backupByName = {cli,
                                             "backup",
                                             "--into",
                                             (folder / "named").string(),
                                             "--telnet-port",
                                             telnetPort,
                                             "--discovery-port",
                                             discoveryPort,
                                             "--jobs",
                                             std::to_string(kRouters)};
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
                                                     "--jobs",
                                                     std::to_string(kRouters)};
    const std::vector<std::string> fetchOne = {cli,
                                               "fetch",
                                               "--router",
                                               "127.0.0.2",
                                               "--telnet-port",
                                               telnetPort,
                                               "--discovery-port",
                                               discoveryPort,
                                               "--output",
                                               (folder / "one.csv").string()};

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
