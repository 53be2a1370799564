#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "session/chunk_queue.h"

namespace dezadav {

// The thread's event loop as the router dialogue sees it.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Dispatches the events that are pending; when none is pending, sleeps in the event loop until
    // one arrives or `maxWaitMs` milliseconds have passed, whichever comes first. With maxWaitMs <= 0
    // it only dispatches what is pending. It never busy-waits.
    virtual void PumpEvents(int64_t maxWaitMs) = 0;
};

// A byte connection to the router's command line as the dialogue uses it: bytes go out with Send,
// every receive notification that read bytes appends one chunk to Queue() while events are pumped.
class ChunkTransport : public EventPump {
public:
    // Sends the bytes. The result is deliberately not reported: a lost send shows up as the missing
    // echo, that is as a time-out of the following wait.
    virtual void Send(std::string_view bytes) = 0;
    virtual ChunkQueue& Queue() = 0;
};

// The socket a session creates, connects, talks through and closes; the same object serves every
// session, and its chunk queue outlives each connection.
class RouterConnection : public ChunkTransport {
public:
    // Creates the stream socket. Returns false when the system cannot provide one.
    virtual bool Create() = 0;
    // Connects to the dotted IPv4 address `ip`, pumping events until the connection is made, fails,
    // or `timeoutMs` milliseconds have passed (then the attempt is abandoned). True when connected.
    virtual bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) = 0;
    // Closes the connection; queued chunks stay queued.
    virtual void Close() = 0;
};

}  // namespace dezadav
