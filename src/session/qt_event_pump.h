#pragma once

#include <QTimer>
#include <cstdint>

#include "session/chunk_transport.h"

namespace dezadav {

// The thread's Qt event loop as an EventPump: dispatches pending events, and when none is pending
// sleeps in the event loop (QEventLoop::WaitForMoreEvents) until an event arrives or a precise
// wake-up timer of the remaining time fires. Never spins.
class QtEventPump : public EventPump {
public:
    QtEventPump();
    void PumpEvents(int64_t maxWaitMs) override;

private:
    QTimer m_wakeUp;
};

// Dispatches the thread's events for at least `ms` milliseconds (steady clock), sleeping between
// them; looks at the event queue at least once.
void PumpMessagesFor(int64_t ms);

}  // namespace dezadav
