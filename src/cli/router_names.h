#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dezadav::cli {

// Replaces every router given by host name with the name's first IPv4 address, looked up once before
// any router is served, so every exchange of the run talks to the same router. Returns the reason
// when a name cannot be looked up, has no IPv4 address, or names a router already given.
std::optional<std::string> ResolveRouterNames(std::vector<std::string>& routers);

}  // namespace dezadav::cli
