#include "cli/descriptor_limit.h"

#include <sys/resource.h>

#include <algorithm>

namespace dezadav::cli {

JobRoom MakeRoomForJobs(std::size_t wanted) {
    const std::size_t needed = kDescriptorsBesideJobs + wanted * kDescriptorsPerJob;
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0) return {std::max<std::size_t>(wanted, 1), 0};
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < needed) {
        // The soft limit is a default meant for ordinary programs; the hard limit is what the
        // administrator allows, and a fleet run is what it is there for.
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max == RLIM_INFINITY ? needed : std::min<rlim_t>(files.rlim_max, needed);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) files = raised;
    }
    if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= needed) {
        return {std::max<std::size_t>(wanted, 1), files.rlim_cur == RLIM_INFINITY ? 0 : files.rlim_cur};
    }
    const std::size_t limit = files.rlim_cur;
    const std::size_t fit =
        limit > kDescriptorsBesideJobs ? (limit - kDescriptorsBesideJobs) / kDescriptorsPerJob : 0;
    return {std::clamp<std::size_t>(fit, 1, std::max<std::size_t>(wanted, 1)), limit};
}

}  // namespace dezadav::cli
