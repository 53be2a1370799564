// Several routers' jobs side by side.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "cli/descriptor_limit.h"
#include "cli/parallel_jobs.h"
#include "support/english_language.h"

namespace dezadav::cli {
namespace {

class FinishCounter : public JobListener {
public:
    void Printed(std::size_t, const std::string&) override {}
    void Shown(std::size_t, const std::string&, bool) override {}
    void Finished(std::size_t, const JobOutcome&) override { ++finished; }
    std::size_t finished = 0;
};

// With no room for a job none would start and the run would never end: a limit below one runs
// the jobs one at a time.
TEST(ParallelJobs, ALimitBelowOneStillRunsEveryJob) {
    // Backups of routers whose model is not handled end before anything is sent.
    std::vector<RouterJobRequest> requests(3);
    for (RouterJobRequest& request : requests) {
        request.kind = RouterJobKind::Backup;
        request.routerIp = "127.0.0.1";
        request.knownRouter = RouterInfo{};
        request.knownRouter->ipAddress = request.routerIp;
        request.knownRouter->modelName = "NOT-A-ROUTER";
    }
    const LanguageTable language = testing::ShippedEnglish();
    for (int limit : {0, -1}) {
        FinishCounter listener;
        const std::vector<JobOutcome> outcomes = RunJobsInParallel(requests, JobLimit(limit), language, listener);
        EXPECT_EQ(listener.finished, requests.size()) << limit;
        ASSERT_EQ(outcomes.size(), requests.size());
        for (const JobOutcome& outcome : outcomes) EXPECT_TRUE(outcome.result.unsupportedModel) << limit;
    }
}

// A run of many routers raises the soft open-file limit as far as the hard one allows, and serves
// only as many at once as fit under a hard limit that is too low (each test runs in a process of
// its own, so the lowered limits end with it).
TEST(ParallelJobs, TheOpenFileLimitIsRaisedForTheJobsOrTheJobsFitUnderIt) {
    rlimit files{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlim_t wanted = kDescriptorsBesideJobs + 256 * kDescriptorsPerJob;
    if (files.rlim_max != RLIM_INFINITY && files.rlim_max < wanted) GTEST_SKIP() << "hard limit below " << wanted;
    files.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
    JobRoom room = MakeRoomForJobs(256);
    EXPECT_EQ(room.jobs, 256u);
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &files), 0);
    EXPECT_GE(files.rlim_cur, wanted);

    files.rlim_cur = files.rlim_max = kDescriptorsBesideJobs + 10 * kDescriptorsPerJob;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
    room = MakeRoomForJobs(256);
    EXPECT_EQ(room.jobs, 10u);
    EXPECT_EQ(room.fileLimit, files.rlim_max);
    EXPECT_EQ(MakeRoomForJobs(3).jobs, 3u);
}

}  // namespace
}  // namespace dezadav::cli
