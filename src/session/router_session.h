#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "lang/messages.h"
#include "session/apply_texts.h"
#include "session/chunk_transport.h"
#include "session/clock.h"
#include "session/fetched_texts.h"
#include "session/session_observer.h"
#include "session/session_request.h"
#include "session/telnet_dialogue.h"

namespace dezadav {

// Progress text of a mode (key and English text); nothing for a value outside the three modes.
const MessageText* ProgressTextFor(SessionMode mode);

// The router session: every exchange with a router (fetch all settings, fetch the call log, apply
// settings) is one Run, logged in afresh and closed at its end. Showing progress is the caller's
// business; this class never touches a window.
//
// Exactly one message goes to the message port for a failed run; the socket is closed after every
// failure except a failed creation.
class RouterSession {
public:
    // All references must outlive the object. `language` supplies every text shown; `messages`
    // receives the message boxes.
    RouterSession(RouterConnection& socket, const Clock& clock, const LanguageTable& language,
                  MessagePort& messages);

    // Told of every run from now on (nullptr: none). The observer must outlive its runs.
    void SetObserver(SessionObserver* observer);

    // Runs the exchange `request` asks for: GetSettings logs in and runs the fetch commands in order
    // into `fetched` ("voip sip endpt2" only for a two-port model); GetVoipLog runs only "voip sip
    // calllog"; ApplySettings sends the changed dial-plan entries of `apply`, then the SIP and codec
    // rows when they differ from the rows last applied, one command per value, and shows the success
    // message. False for a failed run (its message shown) or an unknown mode.
    bool Run(const SessionRequest& request);

    FetchedTexts fetched;  // output of the last fetch, per command
    ApplyTexts apply;      // inputs of an apply and the rows last applied

    // The dialogue of the current connection (for callers that need its last error).
    const TelnetDialogue& Dialogue() const { return m_dialogue; }

private:
    bool RunFetch(const SessionRequest& request, bool logOnly);
    bool RunApply(const SessionRequest& request);
    bool OpenSession(const SessionRequest& request);
    bool FailRun(const MessageText& message, bool closeSocket);
    bool FailWithDetail(const MessageText& message, const std::string& detail, bool closeSocket);
    bool EndRun(bool ok, std::string_view shownText);

    RouterConnection& m_socket;
    const Clock& m_clock;
    const LanguageTable& m_language;
    MessagePort& m_messages;
    TelnetDialogue m_dialogue;
    SessionObserver* m_observer = nullptr;
};

}  // namespace dezadav
