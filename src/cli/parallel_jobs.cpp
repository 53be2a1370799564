#include "cli/parallel_jobs.h"

#include <QEventLoop>

#include "session/fiber_loop.h"

namespace dezadav::cli {

namespace {

// A job's output, handed to the thread that waits for the jobs: the job's thread only posts, and
// what it posts holds no pointer into the job, which may have ended when the post is delivered.
class PostingOutput : public RouterJobOutput {
public:
    PostingOutput(QObject& receiver, JobListener& listener, std::size_t job)
        : m_receiver(receiver), m_listener(listener), m_job(job) {}

    void PrintLine(const std::string& line) override {
        Post([listener = &m_listener, job = m_job, line] { listener->Printed(job, line); });
    }
    void ShowMessage(const std::string&, const std::string& text, MessageIcon icon) override {
        const bool isError = icon != MessageIcon::None;
        if (isError && m_firstError.empty()) m_firstError = text;
        Post([listener = &m_listener, job = m_job, text, isError] { listener->Shown(job, text, isError); });
    }
    const std::string& FirstError() const { return m_firstError; }

private:
    template <typename Call>
    void Post(Call call) {
        QMetaObject::invokeMethod(&m_receiver, std::move(call), Qt::QueuedConnection);
    }

    QObject& m_receiver;
    JobListener& m_listener;
    std::size_t m_job;
    std::string m_firstError;
};

}  // namespace

std::vector<JobOutcome> RunJobsInParallel(const std::vector<RouterJobRequest>& requests, JobLimit limit,
                                          const LanguageTable& language, JobListener& listener) {
    std::vector<JobOutcome> outcomes(requests.size());
    if (requests.empty()) return outcomes;

    QObject receiver;
    QEventLoop loop;
    FiberLoop fibers;
    std::size_t next = 0;
    std::size_t running = 0;
    std::size_t finished = 0;

    std::function<void()> startMore = [&] {
        while (running < limit.Count() && next < requests.size()) {
            const std::size_t job = next++;
            ++running;
            fibers.Start(
                [&, job] {
                    PostingOutput output(receiver, listener, job);
                    outcomes[job].result = RunRouterJob(requests[job], language, output);
                    outcomes[job].failure = output.FirstError();
                },
                [&, job] {
                    // Told after everything the job posted before its end.
                    QMetaObject::invokeMethod(
                        &receiver,
                        [&, job] {
                            --running;
                            ++finished;
                            listener.Finished(job, outcomes[job]);
                            if (finished == requests.size()) {
                                loop.quit();
                            } else {
                                startMore();
                            }
                        },
                        Qt::QueuedConnection);
                });
        }
    };
    startMore();
    loop.exec();
    return outcomes;
}

}  // namespace dezadav::cli
