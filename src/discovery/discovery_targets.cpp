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

bool IsDottedIpv4Address(std::string_view text) {
    int groups = 0;
    std::size_t pos = 0;
    while (groups < 4) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (pos < text.size() && digits < 4 && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        if (digits > 1 && text[pos - digits] == '0') return false;
        ++groups;
        if (groups < 4) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
    }
    return pos == text.size();
}

}  // namespace dezadav
