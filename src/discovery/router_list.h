#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "discovery/router_info.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav {

// What became of one received answer.
enum class AnswerOutcome {
    Listed,      // appended as a new last row
    TooShort,    // below 68 bytes (or a failed read): dropped silently
    Repeated,    // its MAC address is already listed in this search: dropped silently
    ListFull,    // the search already lists kMaxRows routers: dropped silently
    Superseded,  // a new search started while its messages were shown: it belongs to the old one
};

// The routers found by one search, in the order they answered: the rows of the Select Router
// dialog and of the command-line router listing.
//
// A router is listed once per search (answers are matched by MAC address text across the whole
// search, not just against the answer before), and a flood of answers cannot grow the list past
// kMaxRows. StartSearch() empties it for the next search.
class RouterList {
public:
    static constexpr std::size_t kMaxRows = 256;

    // Forgets every row and every MAC address seen: the next answer of any router is listed.
    void StartSearch();

    // Handles one received datagram. A listed answer whose model name or firmware version is too long
    // shows kMsgRouterOutOfRange through `port` once per such property (so at most twice), looked up in
    // `table`; the row keeps the value cut to its capacity.
    AnswerOutcome HandleAnswer(std::string_view datagram, const LanguageTable& table, MessagePort& port);

    const std::vector<RouterInfo>& Rows() const { return m_rows; }
    std::size_t Size() const { return m_rows.size(); }
    bool Empty() const { return m_rows.empty(); }

private:
    std::vector<RouterInfo> m_rows;
    std::unordered_set<std::string> m_macAddresses;
    unsigned m_search = 0;  // counts StartSearch() calls
};

// Turns a datagram into the router it describes (model name and version looked up with their
// capacities), showing kMsgRouterOutOfRange once per out-of-range property. Returns false, showing
// nothing, for a datagram shorter than 68 bytes.
bool RouterInfoFromAnswer(std::string_view datagram, const LanguageTable& table, MessagePort& port,
                          RouterInfo& info);

}  // namespace dezadav
