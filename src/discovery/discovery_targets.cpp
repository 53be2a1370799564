#include "discovery/discovery_targets.h"

#include <algorithm>

#include "discovery/discovery_datagram.h"
#include "text/decimal_text.h"

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

bool IsDottedIpv4Address(std::string_view text) {
    int groups = 0;
    std::size_t pos = 0;
    while (groups < 4) {
        const DigitRun group = ReadDigitRun(text.substr(pos));
        if (group.length == 0 || group.length > 3 || group.value > 255) return false;
        if (group.length > 1 && text[pos] == '0') return false;
        pos += group.length;
        ++groups;
        if (groups < 4) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
    }
    return pos == text.size();
}

}  // namespace dezadav
