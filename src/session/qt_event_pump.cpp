#include "session/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "session/clock.h"
#include "session/fiber_loop.h"
#include "session/telnet_dialogue.h"

namespace dezadav {

QtEventPump::QtEventPump() {
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_wakeUp, &QTimer::timeout, &m_wakeUp, [this] { Wake(); });
}

void QtEventPump::Wake() {
    if (m_waiter != nullptr) FiberLoop::Wake(m_waiter);
}

void QtEventPump::PumpEvents(int64_t maxWaitMs) {
    if (Fiber* fiber = FiberLoop::Current()) {
        m_waiter = fiber;
        // With no time to wait, the task only lets the loop dispatch what is pending and goes on.
        if (maxWaitMs <= 0) {
            FiberLoop::Wake(fiber);
        } else {
            // A wake-up already set for no later than this wait's end is kept: waking early only
            // makes the caller wait again, while setting the timer anew costs every typed byte.
            const int64_t end = m_clock.NowMs() + maxWaitMs;
            if (!m_wakeUp.isActive() || m_wakeUpAt > end) {
                m_wakeUp.start(static_cast<int>(std::min<int64_t>(maxWaitMs, INT32_MAX)));
                m_wakeUpAt = end;
            }
        }
        FiberLoop::Suspend();
        m_waiter = nullptr;
        return;
    }
    if (maxWaitMs <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The wake-up timer's own event ends the wait when nothing else arrives in time.
    m_wakeUp.start(static_cast<int>(std::min<int64_t>(maxWaitMs, INT32_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_wakeUp.stop();
}

void PumpMessagesFor(int64_t ms) {
    QtEventPump pump;
    SteadyClock clock;
    PumpMessagesFor(pump, clock, ms);
}

}  // namespace dezadav
