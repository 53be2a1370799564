#pragma once

#include "workflow/tick_timer.h"

namespace dezadav::cli {

// The refresh timer of dezadav-cli: it keeps the started/stopped state the workflow sets but never
// fires. A command-line run ends after its one job, so the call log is never refreshed behind it,
// and no refresh can slip into the waits of an apply.
class IdleTickTimer : public TickTimer {
public:
    void Start(int periodMs) override {
        m_active = true;
        m_period = periodMs;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    int PeriodMs() const override { return m_period; }

private:
    bool m_active = false;
    int m_period = 0;
};

}  // namespace dezadav::cli
