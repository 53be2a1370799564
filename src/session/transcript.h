#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "session/session_observer.h"

namespace dezadav {

// Where finished transcript blocks go (a file, in the program). Append must write the block as one
// piece, so blocks of exchanges that ran side by side never interleave.
class TranscriptSink {
public:
    virtual ~TranscriptSink() = default;
    // False when the block could not be written; the caller goes on without it.
    virtual bool Append(std::string_view block) = 0;
};

// Masks the SIP passwords a router prints (the word after "password:", on that line or a later one)
// over the bytes received, as one stream: however the reads cut it, even inside the keyword, the
// masked bytes are the same and no byte of a password is left.
class PrintedPasswordMask {
public:
    // `chunk` (the next bytes received) with every byte of a password value replaced by '*'.
    std::string Mask(std::string_view chunk);
    // A new exchange: nothing received so far.
    void Reset() { *this = PrintedPasswordMask(); }

private:
    std::size_t m_keywordMatched = 0;  // how many bytes of "password:" the stream ended with
    bool m_valueAhead = false;         // the keyword was seen; its value has not started yet
    bool m_inValue = false;            // inside the value
};

// Writes a readable record of each router exchange: a header (local time, router and port, what the
// exchange was for, the time scale), one line per chunk received and per line typed, each with the
// milliseconds since the exchange began and its direction, bytes shown with control bytes escaped
// (\r, \n, \xNN), and a last line with the outcome. The block of an exchange goes to the sink whole
// when the exchange ends.
//
// No secret is written: the login password's bytes are shown as '*', and so are the SIP account
// passwords where the router prints them (the value after "password:"); where an apply types them
// the value of each command field marked secret is shown as HideSecretValue shows it.
class TranscriptWriter : public SessionObserver {
public:
    // `localTime` gives the wall-clock time for the header, as the user reads it.
    TranscriptWriter(TranscriptSink& sink, std::function<std::string()> localTime);

    void ExchangeStarted(int64_t atMs, const SessionRequest& request) override;
    void ChunkReceived(int64_t atMs, std::string_view bytes) override;
    void LineTyped(int64_t atMs, std::string_view text, bool isPassword, bool echoed) override;
    void ExchangeEnded(int64_t atMs, bool ok, std::string_view shownText) override;

    // False once a block could not be written.
    bool Healthy() const { return m_healthy; }

private:
    void AddLine(int64_t atMs, std::string_view direction, const std::string& shown);

    TranscriptSink& m_sink;
    std::function<std::string()> m_localTime;
    std::string m_block;
    int64_t m_startMs = 0;
    bool m_open = false;
    bool m_healthy = true;
    PrintedPasswordMask m_mask;
};

// Control and non-ASCII bytes of `bytes` written as \r, \n, \t, \\ or \xNN; the rest as they are.
std::string EscapeBytes(std::string_view bytes);

}  // namespace dezadav
