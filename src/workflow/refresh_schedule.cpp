#include "workflow/refresh_schedule.h"

namespace dezadav {

void RefreshSchedule::Restart() {
    if (m_on) {
        m_timer.Start(kRefreshTickMs);
    } else {
        m_timer.Stop();
    }
    m_count = 0;
}

void RefreshSchedule::StartIfOn() {
    if (!m_on) return;
    m_timer.Start(kRefreshTickMs);
    m_count = 0;
}

RefreshSchedule::TickVerdict RefreshSchedule::Tick(bool heldOff) {
    if (!m_on) {
        m_timer.Stop();
        m_count = 0;
        return TickVerdict::Stopped;
    }
    if (m_count <= m_intervalSeconds || m_blocked || heldOff) {
        // Saturates instead of wrapping: a refresh blocked for years must not turn negative.
        if (m_count < INT32_MAX) ++m_count;
        return TickVerdict::Counted;
    }
    m_timer.Stop();
    m_count = 0;
    return TickVerdict::Due;
}

}  // namespace dezadav
