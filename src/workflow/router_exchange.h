#pragma once

#include <cstdint>

#include "lang/language_table.h"
#include "session/router_ports.h"
#include "session/router_session.h"
#include "workflow/connected_router.h"
#include "workflow/user_port.h"

namespace dezadav {

// How exchanges with the connected router are made: one run of the session at a time, to the
// router's address with its confirmed password, with the progress window up meanwhile (a log
// refresh while the main window is hidden in the tray runs without it).
class RouterExchange {
public:
    // All references must outlive this; `session` is run for every exchange.
    RouterExchange(const LanguageTable& language, UserPort& port, RouterSession& session,
                   const ConnectedRouter& connected)
        : m_language(language), m_port(port), m_session(session), m_connected(connected) {}

    // Runs the session in `mode` (sending `plan` in apply mode) on the connected router.
    SessionResult Run(SessionMode mode, ApplyPlan plan = {});
    // True for the duration of an exchange.
    bool Running() const { return m_running; }

    // The routers' command-line port (kTelnetPort unless overridden).
    void SetTelnetPort(uint16_t port) { m_telnetPort = port; }
    // Every wait of every exchange is this many times as long (1 to 20).
    void SetTimeScale(double scale) { m_timeScale = scale; }
    // False while the main window is hidden in the tray: log refreshes then show no progress. A
    // window shown during such a refresh gets the progress (and its input hold) at once.
    void SetMainWindowVisible(bool visible);
    bool MainWindowVisible() const { return m_mainWindowVisible; }

    RouterSession& Session() { return m_session; }

private:
    const LanguageTable& m_language;
    UserPort& m_port;
    RouterSession& m_session;
    const ConnectedRouter& m_connected;
    uint16_t m_telnetPort = kTelnetPort;
    double m_timeScale = 1.0;
    bool m_mainWindowVisible = true;
    bool m_running = false;
    // The mode of the running exchange, and whether its progress is on screen.
    SessionMode m_runningMode = SessionMode::GetSettings;
    bool m_progressShown = false;
};

}  // namespace dezadav
