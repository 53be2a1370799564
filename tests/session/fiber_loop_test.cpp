#include "session/fiber_loop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <thread>

#include "session/qt_event_pump.h"
#include "session/telnet_dialogue.h"

namespace dezadav {
namespace {

// Runs the thread's event loop until every task of `fibers` has finished, or 10 s.
bool RunUntilDone(FiberLoop& fibers) {
    QElapsedTimer clock;
    clock.start();
    while (fibers.Count() > 0 && clock.elapsed() < 10000) QtEventPump().PumpEvents(50);
    return fibers.Count() == 0;
}

TEST(FiberLoopTest, TasksWaitSideBySideOnTheCallingThreadAndAThrowEndsOnlyItsTask) {
    FiberLoop fibers;
    std::string log;
    int finished = 0;
    QThread* const loopThread = QThread::currentThread();
    bool sameThread = true;
    fibers.Start(
        [&] {
            log += "a1 ";
            PumpMessagesFor(60);
            sameThread = sameThread && QThread::currentThread() == loopThread;
            log += "a2 ";
        },
        [&] { ++finished; });
    fibers.Start(
        [&] {
            log += "b1 ";
            PumpMessagesFor(10);
            log += "b2 ";
            throw std::runtime_error("ends this task");
        },
        [&] { ++finished; });
    ASSERT_TRUE(RunUntilDone(fibers));
    EXPECT_EQ("a1 b1 b2 a2 ", log);
    EXPECT_EQ(2, finished);
    EXPECT_TRUE(sameThread);
}

TEST(FiberLoopTest, AWakeEndsAWaitAndBlockingWorkRunsOffTheLoopWhileOthersGoOn) {
    FiberLoop fibers;
    QtEventPump pump;
    qint64 wokenAfterMs = -1;
    fibers.Start(
        [&] {
            QElapsedTimer clock;
            clock.start();
            QTimer::singleShot(20, [&pump] { pump.Wake(); });
            pump.PumpEvents(5000);
            wokenAfterMs = clock.elapsed();
        },
        {});
    std::thread::id workThread;
    bool workDone = false;
    int ticksDuringWork = 0;
    fibers.Start(
        [&] {
            RunOffLoop([&] {
                workThread = std::this_thread::get_id();
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            });
            workDone = true;
        },
        {});
    fibers.Start(
        [&] {
            for (int i = 0; i < 100 && !workDone; ++i) {
                PumpMessagesFor(10);
                if (!workDone) ++ticksDuringWork;
            }
        },
        {});
    ASSERT_TRUE(RunUntilDone(fibers));
    EXPECT_GE(wokenAfterMs, 15);
    EXPECT_LT(wokenAfterMs, 2000);
    EXPECT_TRUE(workDone);
    EXPECT_NE(std::this_thread::get_id(), workThread);
    EXPECT_GE(ticksDuringWork, 5);  // the loop was not held while the work blocked
}

}  // namespace
}  // namespace dezadav
