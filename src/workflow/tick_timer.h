#pragma once

#include <functional>
#include <utility>

namespace dezadav {

// A repeating timer as the workflow sees it (the main window's refresh timer, id 3). The workflow's
// RefreshSchedule starts and stops it; whoever owns it calls Fire() once per period while it is active. The window
// uses QtTickTimer (on the Qt event loop, kept out of this library so that the workflow needs no Qt),
// dezadav-cli its own idle timer; tests use a manual timer and fire it tick by tick, so no test waits
// for real time to pass.
class TickTimer {
public:
    virtual ~TickTimer() = default;

    // Starts (or restarts) the timer with a period of `periodMs` milliseconds.
    virtual void Start(int periodMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // The period given to the last Start, 0 before any.
    virtual int PeriodMs() const = 0;

    // What runs on each tick.
    void SetHandler(std::function<void()> handler) { m_handler = std::move(handler); }

protected:
    // One period has passed: runs the handler.
    void Fire() {
        if (m_handler) m_handler();
    }

private:
    std::function<void()> m_handler;
};

}  // namespace dezadav
