#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/router_job.h"

namespace dezadav::cli {

// The result of one router's job as the caller of RunJobsInParallel sees it.
struct JobOutcome {
    RouterJobResult result;
    std::string failure;  // the first error message the job showed; empty when it showed none
};

// Told on the calling thread, in the order each job produced them, of every job's output. A job's
// lines and messages all come before its Finished().
class JobListener {
public:
    virtual ~JobListener() = default;
    virtual void Printed(std::size_t job, const std::string& line) = 0;
    virtual void Shown(std::size_t job, const std::string& text, bool isError) = 0;
    virtual void Finished(std::size_t job, const JobOutcome& outcome) = 0;
};

// How many jobs may run at the same time. It is never below one: with no room for a job, none would
// start and the caller would wait for ever. A count below one is taken as one.
class JobLimit {
public:
    explicit constexpr JobLimit(int count) : m_count(count < 1 ? 1 : static_cast<std::size_t>(count)) {}
    constexpr std::size_t Count() const { return m_count; }

private:
    std::size_t m_count;
};

// Runs every request, at most `limit` at a time, side by side on one event loop per processor (each
// a task of a FiberLoop, with its own socket, session and models; each loop's jobs read a copy of
// `language`). Their blocking calls (files synced, history records) run off the loops meanwhile. The
// calling thread's event loop runs meanwhile and delivers the listener's calls. Returns the outcomes
// in the order of `requests`.
std::vector<JobOutcome> RunJobsInParallel(const std::vector<RouterJobRequest>& requests, JobLimit limit,
                                          const LanguageTable& language, JobListener& listener);

}  // namespace dezadav::cli
