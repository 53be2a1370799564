// Several routers' jobs side by side.
#include <gtest/gtest.h>

#include "cli/parallel_jobs.h"
#include "lang/builtin_language_source.h"

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
    const LanguageTable language = BuiltinEnglishTable();
    for (int limit : {0, -1}) {
        FinishCounter listener;
        const std::vector<JobOutcome> outcomes = RunJobsInParallel(requests, JobLimit(limit), language, listener);
        EXPECT_EQ(listener.finished, requests.size()) << limit;
        ASSERT_EQ(outcomes.size(), requests.size());
        for (const JobOutcome& outcome : outcomes) EXPECT_TRUE(outcome.result.unsupportedModel) << limit;
    }
}

}  // namespace
}  // namespace dezadav::cli
