#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

namespace dezadav {

struct Fiber;

// Runs tasks side by side on the calling thread's Qt event loop, each on a stack of its own (a fiber).
// A task runs until it waits (QtEventPump::PumpEvents, or RunOffLoop for a blocking call); the loop
// then runs the others and the thread's events, and resumes the task when what it waits for has
// come or its time is up. A fleet run's sessions are sockets and timers: on one loop, one wake-up of
// the thread serves every socket that has bytes, where a thread per session pays the system a switch
// for each echoed byte of each router.
//
// Code in a task never runs an event loop of its own (QEventLoop::exec, processEvents): it waits
// through the pump.
class FiberLoop : public QObject {
    Q_OBJECT
public:
    FiberLoop();
    ~FiberLoop() override;

    // Starts `task` as a fiber at the loop's next pass; `finished` is called on the loop's own stack
    // once the task has returned (or thrown, which ends the task and nothing else).
    void Start(std::function<void()> task, std::function<void()> finished);
    // Tasks started and not yet finished.
    std::size_t Count() const { return m_count; }

    // The fiber running now on this thread; null outside a task.
    static Fiber* Current();
    // In a task: gives the thread back to the loop until Wake(fiber) is called (the task's own
    // fiber must be woken by someone: an event, a timer).
    static void Suspend();
    // From the loop's thread: the fiber runs again at the loop's next pass (a task may wake itself
    // just before it suspends). Waking a fiber already woken does nothing more.
    static void Wake(Fiber* fiber);

private:
    void RunWoken();
    void Resume(Fiber* fiber);

    std::vector<Fiber*> m_woken;
    bool m_runPosted = false;
    std::size_t m_count = 0;
};

// Runs `work` away from the loop when called in a task (on a thread of its own, the task waiting
// meanwhile while the loop serves the others), else right here. For calls that block the thread:
// a file synced to disk, a record written to the history.
void RunOffLoop(const std::function<void()>& work);

}  // namespace dezadav
