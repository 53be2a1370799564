#pragma once

#include <cstddef>

namespace dezadav::cli {

// Descriptors one router's job holds while it runs: its telnet connection, the discovery socket that
// asks the router for its model, and its thread's event-loop wake-up.
inline constexpr std::size_t kDescriptorsPerJob = 4;
// Descriptors the process keeps besides its jobs (standard streams, the history, transcript and
// backup files, the main event loop).
inline constexpr std::size_t kDescriptorsBesideJobs = 64;

// What the open-file limit allows for `wanted` jobs at once.
struct JobRoom {
    std::size_t jobs = 0;       // jobs that may run at once (at least one)
    std::size_t fileLimit = 0;  // the soft limit now in force
};

// Makes room for `wanted` jobs at once: when the soft open-file limit is too low, raises it as far as
// the hard limit allows. Returns how many jobs fit (fewer than wanted only when the hard limit is
// too low; never below one).
JobRoom MakeRoomForJobs(std::size_t wanted);

}  // namespace dezadav::cli
