#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace dezadav {

struct SessionRequest;

// Told of everything a router exchange does, in order, for whoever wants to show or record it (the
// command line's echo of the commands sent, a transcript, a progress display). Every event carries
// the session clock's time in milliseconds. Observers must not call back into the session.
//
// The request handed to ExchangeStarted holds the login password, and LineTyped hands over the
// password's bytes (marked): an observer that records must never write them.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;

    // A run begins (before the connection is made).
    virtual void ExchangeStarted(int64_t /*atMs*/, const SessionRequest& /*request*/) {}

    // A chunk the router sent, other than the echo of a typed byte (greeting, prompts, outputs,
    // replies, the echoed line break).
    virtual void ChunkReceived(int64_t /*atMs*/, std::string_view /*bytes*/) {}

    // A line was typed: reported when its closing carriage return goes out (`echoed` true), or,
    // when a typed byte was not echoed in time, at that moment with the bytes typed so far
    // (`echoed` false; the line was never finished). `text` excludes the carriage return; the
    // empty line that wakes the prompt before every command is reported with an empty text.
    virtual void LineTyped(int64_t /*atMs*/, std::string_view /*text*/, bool /*isPassword*/,
                           bool /*echoed*/) {}

    // The run ended: `ok`, and the text of the message shown (empty for a fetch that succeeded).
    virtual void ExchangeEnded(int64_t /*atMs*/, bool /*ok*/, std::string_view /*shownText*/) {}
};

// Passes every event on to several observers, in the order they were added.
class SessionObserverFanOut : public SessionObserver {
public:
    void Add(SessionObserver* observer) {
        if (observer != nullptr) m_observers.push_back(observer);
    }
    void ExchangeStarted(int64_t atMs, const SessionRequest& request) override {
        for (SessionObserver* o : m_observers) o->ExchangeStarted(atMs, request);
    }
    void ChunkReceived(int64_t atMs, std::string_view bytes) override {
        for (SessionObserver* o : m_observers) o->ChunkReceived(atMs, bytes);
    }
    void LineTyped(int64_t atMs, std::string_view text, bool isPassword, bool echoed) override {
        for (SessionObserver* o : m_observers) o->LineTyped(atMs, text, isPassword, echoed);
    }
    void ExchangeEnded(int64_t atMs, bool ok, std::string_view shownText) override {
        for (SessionObserver* o : m_observers) o->ExchangeEnded(atMs, ok, shownText);
    }

private:
    std::vector<SessionObserver*> m_observers;
};

}  // namespace dezadav
