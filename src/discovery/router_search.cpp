#include "discovery/router_search.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "lang/messages.h"

namespace dezadav {

RouterSearch::RouterSearch(const LanguageTable& table, MessagePort& port, QObject* parent)
    : QObject(parent), m_table(table), m_port(port) {
    m_socket.SetHandler([this](std::string_view datagram) { OnDatagram(datagram); });
    // Routers whose answer the system dropped are missing from the list: the user is told so and
    // pointed to a second search rather than left trusting an incomplete list.
    m_socket.SetAnswersLostHandler(
        [this] { ShowMessageText(m_table, m_port, kMsgAnswersLost, kMsgWarnCaption); });
}

bool RouterSearch::Open() {
    return m_socket.Create(m_table, m_port);
}

int RouterSearch::Start() {
    m_list.StartSearch();
    return m_socket.SendRequest();
}

bool RouterSearch::StartAt(const std::string& address) {
    m_list.StartSearch();
    return m_socket.SendRequestTo(address);
}

void RouterSearch::Close() {
    m_socket.Close();
}

void RouterSearch::OnDatagram(std::string_view datagram) {
    if (m_list.HandleAnswer(datagram, m_table, m_port) == AnswerOutcome::Listed) {
        emit RouterListed(static_cast<int>(m_list.Size()) - 1);
    }
}

std::optional<std::vector<RouterInfo>> SearchRouters(const SearchOptions& options, const LanguageTable& table,
                                                     MessagePort& port) {
    RouterSearch search(table, port);
    search.Socket().SetTarget(options.target);
    search.Socket().SetPort(options.port);
    if (!search.Open()) return std::nullopt;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&search, &RouterSearch::RouterListed, &loop, [&](int) {
        if (options.stopAfter != 0 && search.List().Size() >= options.stopAfter) loop.quit();
    });
    deadline.start(std::max(0, options.waitMs));
    search.Start();
    // The answers (or the deadline) end the wait; a search that is already complete needs no loop.
    if (options.stopAfter == 0 || search.List().Size() < options.stopAfter) loop.exec();
    search.Close();
    return search.Rows();
}

bool AskRouterAt(const std::string& ip, std::uint16_t discoveryPort, int waitMs, const LanguageTable& table,
                 MessagePort& port, std::optional<RouterInfo>& answer) {
    answer.reset();
    const auto answers = SearchRouters(SearchOptions{ip, discoveryPort, waitMs, 1}, table, port);
    if (!answers) return false;
    for (const RouterInfo& router : *answers) {
        if (router.ipAddress == ip) {
            answer = router;
            break;
        }
    }
    return true;
}

}  // namespace dezadav
