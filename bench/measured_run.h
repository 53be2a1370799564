#pragma once
// A program run as a process, the way a user runs it: its wall time from start to exit and its CPU
// time (user + system, every thread), for the benchmarks.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace dezadav::bench {

struct Figures {
    double wallMs = 0;
    double cpuMs = 0;
    int exitCode = -1;
};

// Runs the program with `args` and waits for it, measuring its wall and CPU time.
inline Figures RunMeasured(const std::vector<std::string>& args) {
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

inline Figures Median(std::vector<Figures> runs) {
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

}  // namespace dezadav::bench
