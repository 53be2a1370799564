#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

#include "session/chunk_transport.h"
#include "session/qt_event_pump.h"

namespace dezadav {

// The router connection on the Qt event loop: a non-blocking TCP socket watched by socket notifiers.
// Each read notification reads at most kChunkSize bytes as one chunk; bytes left over make the next
// notification (the notifier is level-triggered), so a chunk is never merged with or split from
// another read. A read that reads nothing, and the end or failure of the connection, queue nothing:
// the connection's chunks simply end. The chunk queue belongs to this object and survives Close() and
// the next Create()/Connect().
//
// The socket is the system's own rather than a QTcpSocket: a session types one byte and waits for its
// echo hundreds of times, and every layer between the notification and the read (a size query, a
// read buffer, a signal) is paid that often, by every router of a fleet run at once.
class CTelnetSocket : public QObject, public RouterConnection {
    Q_OBJECT
public:
    explicit CTelnetSocket(QObject* parent = nullptr);
    ~CTelnetSocket() override;

    // A fresh TCP socket (an earlier one is closed and dropped). False when the system gives none.
    bool Create() override;
    // Connects to the dotted IPv4 address `ip` on `port` (the router's telnet port is kTelnetPort),
    // pumping events until connected, failed or `timeoutMs` (real time) has passed; an attempt still
    // under way then is aborted. False for a text that is not an IPv4 address.
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override;
    void Close() override;

    void Send(std::string_view bytes) override;
    void PumpEvents(int64_t maxWaitMs) override;
    ChunkQueue& Queue() override { return m_queue; }

private:
    void ReadOneChunk();
    void SendUnsent();
    // The connection has ended or failed: nothing more is read or sent on it.
    void StopWatching();
    void Drop();

    int m_fd = -1;
    bool m_connected = false;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    std::string m_unsent;  // bytes the system's send buffer had no room for yet
    ChunkQueue m_queue;
    QtEventPump m_pump;
};

}  // namespace dezadav
