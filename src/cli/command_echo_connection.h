#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/chunk_transport.h"

namespace dezadav::cli {

// A router connection that passes everything through to the real one and reports each expected
// command at the moment its closing carriage return is sent, so dezadav-cli can print the commands
// an apply sends, in order, as they go out (and only those that did go out when the apply fails
// part-way).
//
// Lines are cut at every carriage return sent. The first line of each connection is the password
// and is never looked at beyond its end; after it, a line is reported when it equals the next
// expected command.
class CommandEchoConnection : public RouterConnection {
public:
    explicit CommandEchoConnection(RouterConnection& inner) : m_inner(inner) {}

    // The commands to report, in sending order, and where to report them. Replaces earlier ones.
    void Expect(std::vector<std::string> commands, std::function<void(const std::string&)> onSent);
    // Nothing is reported any more.
    void StopEcho();

    bool Create() override { return m_inner.Create(); }
    bool Connect(const std::string& ip, uint16_t port) override;
    void Close() override { m_inner.Close(); }
    void Send(std::string_view bytes) override;
    void PumpEvents(int64_t maxWaitMs) override { m_inner.PumpEvents(maxWaitMs); }
    ChunkQueue& Queue() override { return m_inner.Queue(); }

private:
    RouterConnection& m_inner;
    std::vector<std::string> m_expected;
    std::size_t m_next = 0;
    std::function<void(const std::string&)> m_onSent;
    std::string m_line;
    bool m_pastPassword = false;
};

}  // namespace dezadav::cli
