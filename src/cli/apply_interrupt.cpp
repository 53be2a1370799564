#include "cli/apply_interrupt.h"

#include <atomic>
#include <csignal>

namespace dezadav::cli {

namespace {

std::atomic<bool> g_applying{false};
std::atomic<int> g_signal{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "read and written from a signal handler");

void OnSignal(int signal) {
    if (!g_applying.load() || g_signal.load() != 0) {
        // The default action: the process ends by this signal, as its caller expects of Ctrl-C.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_signal.store(signal);
}

}  // namespace

void InstallApplyInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // A wait in progress goes on: the apply looks at the request between commands.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void ApplyStarted() {
    g_applying.store(true);
}

int ApplyInterruptSignal() {
    return g_signal.load();
}

int InterruptedExitStatus(int signal) {
    return 128 + signal;
}

}  // namespace dezadav::cli
