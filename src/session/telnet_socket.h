#pragma once

#include <QObject>
#include <QTcpSocket>
#include <memory>

#include "session/chunk_transport.h"
#include "session/qt_event_pump.h"

namespace dezadav {

// The router connection on the Qt event loop. Each read notification of the TCP socket takes at most
// kChunkSize bytes as one chunk; while bytes remain, another notification is posted, so a chunk is
// never merged with or split from another read. A read that reads nothing, and the end or failure
// of the connection, queue nothing: the connection's chunks simply end. The chunk queue belongs to
// this object and survives Close() and the next Create()/Connect().
class CTelnetSocket : public QObject, public RouterConnection {
    Q_OBJECT
public:
    explicit CTelnetSocket(QObject* parent = nullptr);
    ~CTelnetSocket() override;

    // A fresh TCP socket (an earlier one is closed and dropped). Always succeeds with Qt.
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

    std::unique_ptr<QTcpSocket> m_socket;
    ChunkQueue m_queue;
    QtEventPump m_pump;
    bool m_readPosted = false;
};

}  // namespace dezadav
