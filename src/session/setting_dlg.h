#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "session/apply_texts.h"
#include "session/chunk_transport.h"
#include "session/clock.h"
#include "session/fetched_texts.h"
#include "session/session_texts.h"
#include "session/telnet_dialogue.h"

namespace dezadav {

// What the next run of the session does.
enum class SessionMode : int32_t {
    GetSettings = 0,    // fetch all settings
    ApplySettings = 1,  // apply the changed settings
    GetVoipLog = 2,     // fetch the call log only
};

// How a run closed the session dialog.
enum class DialogResult { None = 0, Ok = 1, Cancel = 2 };

// Progress text of a mode (key and English text); nothing for a value outside the three modes.
const SessionMessage* ProgressTextFor(SessionMode mode);

// The session dialog's timer that starts a run, and its period.
inline constexpr int kRunTimerId = 2;
inline constexpr int kRunTimerMs = 100;

// The run logic of the session dialog: every exchange with a router (fetch all settings, fetch the
// call log, apply settings) is one run of this object, logged in afresh and closed at its end. The
// window that shows the progress text and owns timer 2 lives elsewhere and drives Start(),
// OnTimer() and the close handler; this class never touches a window.
//
// Exactly one message goes to the message port for a failed run; the socket is closed after every
// failure except a failed creation, and the run ends with DialogResult::Cancel.
class CSettingDlg {
public:
    // All references must outlive the object. `language` supplies every text shown; `messages`
    // receives the message boxes.
    CSettingDlg(RouterConnection& socket, const Clock& clock, const LanguageTable& language,
                MessagePort& messages);

    // Set by the caller before each run.
    SessionMode mode = SessionMode::GetSettings;
    bool mainWindowVisible = true;  // false while the main window is hidden in the tray
    bool busy = false;              // kept by the main window for the duration of a run
    std::string routerIp;           // dotted IPv4 address
    std::string password;
    std::string modelName;  // as shown in the main window; decides the two-port form
    uint16_t telnetPort = kTelnetPort;

    FetchedTexts fetched;  // output of the last fetch, per command
    ApplyTexts apply;      // inputs of an apply and the rows last applied

    // What the window does when a run starts.
    enum class StartAction {
        Nothing,       // mode value outside the three modes: nothing is started
        ShowAndTimer,  // show the progress text of ProgressTextFor(mode), start timer kRunTimerId
        RanSilently,   // a log-only run with the main window hidden already ran inside Start()
    };
    // Dialog initialisation. For RanSilently the run has completed (and the close handler has been
    // called) before this returns; the window must never appear.
    StartAction Start();

    // Timer handler: timer kRunTimerId runs the mode (the window stops the timer first); other ids
    // do nothing and return false.
    bool OnTimer(int timerId);

    // Runs what `mode` asks for; false for a failed run or an unknown mode.
    bool RunMode();

    // Logs in and runs the fetch commands in order (only "voip sip calllog" when logOnly; "voip sip
    // endpt2" only for a two-port model) into `fetched`.
    bool RunFetch(bool logOnly);

    // Logs in and sends the changed dial-plan entries, then the SIP and codec rows when they differ
    // from the rows last applied, one command per value; then shows the success message.
    bool RunApply();

    // The end of the last run: Ok, Cancel, or None while no run has ended since Start().
    DialogResult Result() const { return m_result; }

    // Called once at the end of every run with its result (the window closes itself there).
    void SetCloseHandler(std::function<void(DialogResult)> handler) { m_onClose = std::move(handler); }

    // The dialogue of the current connection (for callers that need its last error).
    const TelnetDialogue& Dialogue() const { return m_dialogue; }

private:
    bool OpenSession();
    bool FailRun(const SessionMessage& message, bool closeSocket);
    bool RefuseControlBytes(std::string_view fieldName);
    void ShowError(const SessionMessage& message);
    bool EndRun(DialogResult result);

    RouterConnection& m_socket;
    const Clock& m_clock;
    const LanguageTable& m_language;
    MessagePort& m_messages;
    TelnetDialogue m_dialogue;
    DialogResult m_result = DialogResult::None;
    std::function<void(DialogResult)> m_onClose;
};

}  // namespace dezadav
