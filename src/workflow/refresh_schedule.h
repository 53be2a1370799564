#pragma once

#include <cstdint>

#include "workflow/tick_timer.h"

namespace dezadav {

// Period of the refresh timer (the main window's timer 3).
inline constexpr int kRefreshTickMs = 1000;
// refreshSeconds at start.
inline constexpr int kDefaultRefreshSeconds = 30;

// When the automatic call-log refresh is due. It starts and stops the refresh timer and counts its
// ticks: with an interval of s seconds a refresh is due on the (s + 2)-th tick after the count was
// reset, unless the refresh is blocked (a failed exchange) or held off (the caller's reasons: an
// exchange running, the user answering a dialog); then ticks only count. The workflow owns one and
// runs the refresh itself; platform-free, the timer is whatever TickTimer the owner gives.
class RefreshSchedule {
public:
    // What a tick calls for.
    enum class TickVerdict {
        Stopped,  // the refresh is off: the timer was stopped and the count reset
        Counted,  // not yet due, blocked or held off: the count grew
        Due,      // refresh now: the timer was stopped and the count reset; Resume() after the run
    };

    // `timer` must outlive the schedule; its handler is the owner's business.
    explicit RefreshSchedule(TickTimer& timer) : m_timer(timer) {}

    // Whether the automatic refresh is on (the log page's Auto Refresh box). Setting it alone starts
    // or stops nothing: Restart() does.
    bool On() const { return m_on; }
    void SetOn(bool on) { m_on = on; }
    // Starts the timer (kRefreshTickMs) when on, stops it otherwise; the count restarts at 0.
    void Restart();
    // When on: starts the timer with the count at 0 (a router has just been read).
    void StartIfOn();

    // One tick of the timer; `heldOff` keeps a due refresh waiting.
    TickVerdict Tick(bool heldOff);
    // The refresh that was due has run: the timer runs again (the count stays at 0).
    void Resume() { m_timer.Start(kRefreshTickMs); }

    // The interval (10..180 s). Takes effect from the next tick; the count is kept.
    int IntervalSeconds() const { return m_intervalSeconds; }
    void SetIntervalSeconds(int seconds) { m_intervalSeconds = seconds; }
    // Ticks counted since the last reset.
    std::int32_t Count() const { return m_count; }
    // Set when an exchange failed, cleared when one succeeds: no refresh starts meanwhile.
    bool Blocked() const { return m_blocked; }
    void SetBlocked(bool blocked) { m_blocked = blocked; }

private:
    TickTimer& m_timer;
    bool m_on = false;
    bool m_blocked = false;
    int m_intervalSeconds = kDefaultRefreshSeconds;
    std::int32_t m_count = 0;
};

}  // namespace dezadav
