#pragma once

#include <cstdint>

namespace dezadav {

// The TCP port of the routers' command line, unless a front end is told another.
inline constexpr std::uint16_t kTelnetPort = 23;

}  // namespace dezadav
