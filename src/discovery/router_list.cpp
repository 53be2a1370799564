#include "discovery/router_list.h"

#include <optional>

#include "lang/messages.h"
#include "discovery/discovery_datagram.h"
#include "discovery/property_lookup.h"

namespace dezadav {
namespace {

void ShowOutOfRange(const LanguageTable& table, MessagePort& port) {
    ShowMessageText(table, port, kMsgRouterOutOfRange);
}

std::string LookupShown(std::string_view text, std::string_view key, std::size_t capacity,
                        const LanguageTable& table, MessagePort& port) {
    PropertyValue property = LookupProperty(text, key, capacity);
    if (property.outOfRange) ShowOutOfRange(table, port);
    return std::move(property.value);
}

RouterInfo RouterInfoFrom(DiscoveryAnswer answer, const LanguageTable& table, MessagePort& port) {
    RouterInfo info;
    info.ipAddress = std::move(answer.ipAddress);
    info.subnetMask = std::move(answer.subnetMask);
    info.macAddress = std::move(answer.macAddress);
    // The model name is looked up (and its message shown) before the version.
    info.modelName = LookupShown(answer.propertyText, "ModelName", kModelNameCapacity, table, port);
    info.firmwareVersion = LookupShown(answer.propertyText, "Version", kVersionCapacity, table, port);
    return info;
}

}  // namespace

bool RouterInfoFromAnswer(std::string_view datagram, const LanguageTable& table, MessagePort& port,
                          RouterInfo& info) {
    std::optional<DiscoveryAnswer> answer = ReadDiscoveryAnswer(datagram);
    if (!answer) return false;
    info = RouterInfoFrom(std::move(*answer), table, port);
    return true;
}

void RouterList::StartSearch() {
    m_rows.clear();
    m_macAddresses.clear();
    ++m_search;
}

AnswerOutcome RouterList::HandleAnswer(std::string_view datagram, const LanguageTable& table,
                                       MessagePort& port) {
    std::optional<DiscoveryAnswer> answer = ReadDiscoveryAnswer(datagram);
    if (!answer) return AnswerOutcome::TooShort;
    // Repeats and overflow are decided before the properties are looked up, so a dropped answer
    // never shows a message.
    if (m_macAddresses.count(answer->macAddress) != 0) return AnswerOutcome::Repeated;
    if (m_rows.size() >= kMaxRows) return AnswerOutcome::ListFull;
    const unsigned search = m_search;
    RouterInfo info = RouterInfoFrom(std::move(*answer), table, port);
    // A message box runs its own event loop, in which the user may have started the next search.
    if (search != m_search) return AnswerOutcome::Superseded;
    m_macAddresses.insert(info.macAddress);
    m_rows.push_back(std::move(info));
    return AnswerOutcome::Listed;
}

}  // namespace dezadav
