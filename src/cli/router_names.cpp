#include "cli/router_names.h"

#include <QHostAddress>
#include <QHostInfo>
#include <algorithm>

#include "discovery/discovery_targets.h"
#include "lang/messages.h"

namespace dezadav::cli {

std::optional<std::string> ResolveRouterNames(std::vector<std::string>& routers) {
    for (std::string& router : routers) {
        if (IsDottedIpv4Address(router)) continue;
        const QHostInfo info = QHostInfo::fromName(QString::fromStdString(router));
        if (info.error() != QHostInfo::NoError) {
            return RouterNameLookupFailedText(router, info.errorString().toStdString());
        }
        const QList<QHostAddress> addresses = info.addresses();
        const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& address) {
            return address.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (ipv4 == addresses.end()) return RouterNameWithoutIpv4Text(router);
        const std::string address = ipv4->toString().toStdString();
        if (std::find(routers.begin(), routers.end(), address) != routers.end()) {
            return RouterGivenTwiceByNameText(address, router);
        }
        router = address;
    }
    return std::nullopt;
}

}  // namespace dezadav::cli
