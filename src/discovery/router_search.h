#pragma once

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/discovery_socket.h"
#include "discovery/router_list.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav {

// One discovery socket with the list of routers it found: what the Select Router dialog runs while
// it is open. Messages (socket failure, out-of-range answers) go through the given table and port,
// which must outlive this object.
class RouterSearch : public QObject {
    Q_OBJECT
public:
    RouterSearch(const LanguageTable& table, MessagePort& port, QObject* parent = nullptr);

    // Target, port and local port overrides; set them before Open().
    CDiscoverySocket& Socket() { return m_socket; }

    // Creates the socket; on failure kMsgUdpSocket has been shown and the list stays empty.
    bool Open();
    // A new search: empties the list and sends one request to every target. Returns how many of
    // those sends went out (a closed socket sends none; the dialog does not look at it).
    int Start();
    // A new search aimed at one address only (a router's own address); false when nothing was sent.
    bool StartAt(const std::string& address);
    // Later answers are no longer received; the rows stay.
    void Close();

    const RouterList& List() const { return m_list; }
    const std::vector<RouterInfo>& Rows() const { return m_list.Rows(); }

signals:
    // A router was appended as row `row` of Rows().
    void RouterListed(int row);

private:
    void OnDatagram(std::string_view datagram);

    const LanguageTable& m_table;
    MessagePort& m_port;
    CDiscoverySocket m_socket;
    RouterList m_list;
};

// A search run to its end without a window: for the command-line tool and tests.
struct SearchOptions {
    std::optional<std::string> target;  // replaces the broadcast targets when given
    std::uint16_t port = kDiscoveryPort;
    int waitMs = kAnswerWaitMs;  // how long answers are taken
    std::size_t stopAfter = 0;   // stop as soon as this many routers are listed (0: wait the full time)
};

// Opens a socket, sends one request, collects answers for up to `waitMs` milliseconds while the
// calling thread's event loop runs, and returns the routers in answer order. Returns nothing when the
// socket cannot be created (kMsgUdpSocket has been shown through `port`).
std::optional<std::vector<RouterInfo>> SearchRouters(const SearchOptions& options, const LanguageTable& table,
                                                     MessagePort& port);

// The discovery answer of the router at `ip` itself: a request sent to that address alone, waited
// for up to `waitMs`. Nothing in `answer` when none came from that address; false when the socket
// cannot be created (kMsgUdpSocket has been shown through `port`).
bool AskRouterAt(const std::string& ip, std::uint16_t discoveryPort, int waitMs, const LanguageTable& table,
                 MessagePort& port, std::optional<RouterInfo>& answer);

}  // namespace dezadav
