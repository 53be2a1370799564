#include "workflow/router_exchange.h"

#include "lang/messages.h"

namespace dezadav {

void RouterExchange::SetMainWindowVisible(bool visible) {
    m_mainWindowVisible = visible;
    // Restored from the tray in the middle of a silent refresh: the user sees what runs, and the
    // window takes no click that would start a second exchange on the same session.
    if (visible && m_running && !m_progressShown) {
        m_progressShown = true;
        m_port.ShowProgress(TextOrDefault(m_language, *ProgressTextFor(m_runningMode)),
                            ExchangeCause::AutomaticRefresh);
    }
}

SessionResult RouterExchange::Run(SessionMode mode, ApplyPlan plan) {
    SessionRequest request;
    request.routerIp = m_connected.router.ipAddress;
    request.telnetPort = m_telnetPort;
    request.password = m_connected.router.password;
    // The two-port test is made on the Model field like every other.
    request.modelName = m_connected.router.modelName;
    request.mode = mode;
    request.timeScale = m_timeScale;
    request.plan = std::move(plan);
    m_running = true;
    m_runningMode = mode;
    // While the main window is hidden in the tray, a log refresh runs without any window.
    m_progressShown = mode != SessionMode::GetVoipLog || m_mainWindowVisible;
    if (m_progressShown) {
        // Only the refresh fetches the log alone, and it is never started by the user.
        m_port.ShowProgress(
            TextOrDefault(m_language, *ProgressTextFor(mode)),
            mode == SessionMode::GetVoipLog ? ExchangeCause::AutomaticRefresh : ExchangeCause::UserAction);
    }
    SessionResult result = m_session.Run(request);
    m_running = false;
    if (m_progressShown) m_port.HideProgress();
    m_progressShown = false;
    return result;
}

}  // namespace dezadav
