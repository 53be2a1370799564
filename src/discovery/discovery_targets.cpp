#include "discovery/discovery_targets.h"

#include <algorithm>

#include "discovery/discovery_datagram.h"

namespace dezadav {

std::vector<std::string> DiscoveryTargets(const std::optional<std::string>& explicitTarget,
                                          const std::vector<std::string>& interfaceBroadcasts) {
    if (explicitTarget) return {*explicitTarget};
    std::vector<std::string> targets{std::string(kLimitedBroadcastAddress)};
    for (const std::string& address : interfaceBroadcasts) {
        if (address.empty()) continue;
        if (std::find(targets.begin(), targets.end(), address) == targets.end()) targets.push_back(address);
    }
    return targets;
}

}  // namespace dezadav
