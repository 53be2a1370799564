#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadav {

// Where one search sends its request. An explicit target replaces everything else. Otherwise the
// request goes to the limited broadcast address and to the directed broadcast address of every up
// IPv4 interface that has one, each address once, so a router on the office LAN is found even when
// the default route points elsewhere (a VPN, a second network card).
std::vector<std::string> DiscoveryTargets(const std::optional<std::string>& explicitTarget,
                                          const std::vector<std::string>& interfaceBroadcasts);

// True for exactly four decimal numbers 0-255 joined by full stops ("192.168.1.1"); shortened or
// padded forms such as "127.1", "1.2.3.04" or " 1.2.3.4" are refused, so a typo never reaches an
// unintended address.
bool IsDottedIpv4Address(std::string_view text);

}  // namespace dezadav
