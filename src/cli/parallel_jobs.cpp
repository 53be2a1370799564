#include "cli/parallel_jobs.h"

#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <memory>
#include <thread>

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

// One thread's event loop with its tasks, and the language table its jobs read.
struct Lane {
    explicit Lane(const LanguageTable& language) : table(language) { fibers.moveToThread(&thread); }
    ~Lane() {
        thread.quit();
        thread.wait();
    }
    QThread thread;
    FiberLoop fibers;
    const LanguageTable table;
};

std::vector<JobOutcome> RunJobsInParallel(const std::vector<RouterJobRequest>& requests, JobLimit limit,
                                          const LanguageTable& language, JobListener& listener) {
    std::vector<JobOutcome> outcomes(requests.size());
    if (requests.empty()) return outcomes;

    QObject receiver;
    QEventLoop loop;
    // One loop per processor, the jobs dealt out in turn: one loop's wake-ups already serve every
    // socket with bytes, and a second lets the exchanges use the second core.
    const std::size_t laneCount =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::min(limit.Count(), requests.size()));
    std::vector<std::unique_ptr<Lane>> lanes;
    for (std::size_t i = 0; i < laneCount; ++i) {
        lanes.push_back(std::make_unique<Lane>(language));
        lanes.back()->thread.start();
    }
    std::size_t next = 0;
    std::size_t running = 0;
    std::size_t finished = 0;

    std::function<void()> startMore = [&] {
        while (running < limit.Count() && next < requests.size()) {
            const std::size_t job = next++;
            ++running;
            Lane& lane = *lanes[job % lanes.size()];
            // Each outcome is written by its job only, and read here after the job's end was posted.
            auto task = [&, job, table = &lane.table] {
                PostingOutput output(receiver, listener, job);
                outcomes[job].result = RunRouterJob(requests[job], *table, output);
                outcomes[job].failure = output.FirstError();
            };
            auto ended = [&, job] {
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
            };
            FiberLoop* fibers = &lane.fibers;
            QMetaObject::invokeMethod(
                fibers, [fibers, task, ended] { fibers->Start(task, ended); }, Qt::QueuedConnection);
        }
    };
    startMore();
    loop.exec();
    return outcomes;
}

}  // namespace dezadav::cli
