#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "lang/messages.h"
#include "session/chunk_transport.h"
#include "session/clock.h"
#include "session/fetched_texts.h"
#include "session/session_observer.h"
#include "session/session_request.h"
#include "session/telnet_dialogue.h"

namespace dezadav {

// What one run brought back.
struct SessionResult {
    bool ok = false;  // false for a failed run (its message shown) or an unknown mode
    // A fetch's outputs per command. A command the run did not get to (not asked for, or after the
    // one that failed) leaves its text empty.
    FetchedTexts fetched;
    // How many commands of the apply plan went through, counted from the first.
    std::size_t commandsApplied = 0;
};

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
    // ("voip sip endpt2" only for a two-port model); GetVoipLog runs only "voip sip calllog";
    // ApplySettings sends the commands of the request's plan in order, stops at the first that fails
    // or that the router refuses, and shows the success message once all went through. A plan holding
    // a refusal shows it and sends nothing.
    SessionResult Run(const SessionRequest& request);

    // Asked before each command of an apply: when it answers true, the apply ends there (the commands
    // sent so far stay in force) with the message `stopped` gives for the count sent and the count
    // planned. Unset: every apply runs to its end.
    struct StopCheck {
        std::function<bool()> requested;
        std::function<std::string(std::size_t sent, std::size_t planned)> message;
    };
    void SetStopCheck(StopCheck check) { m_stop = std::move(check); }

    // The dialogue of the current connection (for callers that need its last error).
    const TelnetDialogue& Dialogue() const { return m_dialogue; }

private:
    bool RunFetch(const SessionRequest& request, bool logOnly, FetchedTexts& fetched);
    bool RunApply(const SessionRequest& request, std::size_t& applied);
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
    StopCheck m_stop;
};

}  // namespace dezadav
