#pragma once

#include <QTimer>
#include <cstdint>

#include "session/chunk_transport.h"
#include "session/clock.h"

namespace dezadav {

struct Fiber;

// The thread's Qt event loop as an EventPump: dispatches pending events, and when none is pending
// sleeps in the event loop (QEventLoop::WaitForMoreEvents) until an event arrives or a precise
// wake-up timer of the remaining time fires. Never spins. In a task of a FiberLoop it does not run
// the loop itself: the task waits until Wake() or the time is up, while the loop runs the others.
class QtEventPump : public EventPump {
public:
    QtEventPump();
    void PumpEvents(int64_t maxWaitMs) override;
    // What the waiting task waits for has come (its socket's bytes, its answer): it runs again. The
    // thread's own loop needs no telling; its wait ends with the event that brought it.
    void Wake();

private:
    QTimer m_wakeUp;
    int64_t m_wakeUpAt = 0;  // in a task: when m_wakeUp fires, on m_clock
    SteadyClock m_clock;
    Fiber* m_waiter = nullptr;
};

// Dispatches the thread's events for at least `ms` milliseconds (steady clock), sleeping between
// them; looks at the event queue at least once.
void PumpMessagesFor(int64_t ms);

}  // namespace dezadav
