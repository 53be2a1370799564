#include "workflow/qt_tick_timer.h"

namespace dezadav {

QtTickTimer::QtTickTimer() {
    m_timer.setSingleShot(false);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Fire(); });
}

void QtTickTimer::Start(int periodMs) {
    m_periodMs = periodMs;
    m_timer.start(periodMs);
}

void QtTickTimer::Stop() {
    m_timer.stop();
}

bool QtTickTimer::IsActive() const {
    return m_timer.isActive();
}

}  // namespace dezadav
