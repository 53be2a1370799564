#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dezadav {

// Where one search sends its request. An explicit target replaces everything else. Otherwise the
// request goes to the limited broadcast address and to the directed broadcast address of every up
// IPv4 interface that has one, each address once, so a router on the office LAN is found even when
// the default route points elsewhere (a VPN, a second network card).
std::vector<std::string> DiscoveryTargets(const std::optional<std::string>& explicitTarget,
                                          const std::vector<std::string>& interfaceBroadcasts);

}  // namespace dezadav
