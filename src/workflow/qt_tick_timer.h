#pragma once

#include <QTimer>

#include "workflow/tick_timer.h"

namespace dezadav {

// TickTimer on a QTimer of the calling thread's event loop. Ticks arrive while events are
// dispatched, including during the waits of a router exchange.
class QtTickTimer : public TickTimer {
public:
    QtTickTimer();

    void Start(int periodMs) override;
    void Stop() override;
    bool IsActive() const override;
    int PeriodMs() const override { return m_periodMs; }

private:
    QTimer m_timer;
    int m_periodMs = 0;
};

}  // namespace dezadav
