#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sim_config.h"

namespace dezadav::routersim {

// True for the 12-byte discovery request: 0xDD 0x80, the length 12 big-endian, "ZEZIDEZ" and a zero byte.
bool IsDiscoveryRequest(const unsigned char* data, size_t size);

// The datagram a router answers with: 0xDD 0x81 and the datagram's length (big-endian) in bytes 0-3,
// the router's IPv4 address in bytes 4-7, its mask in 8-11 and its MAC in 12-17 (first octet first),
// a gateway address (the router's own network with host number 1) in 18-21, zeros up to byte 65, the
// property text "[ModelName=<model>][Version=<version>]" from byte 66, and one closing zero byte.
std::string DiscoveryAnswer(const RouterSetup& router);

// The datagrams the router sends for one request, with its discovery fault applied: none (silent),
// one normal answer, a short one (40 bytes), an oversized one (1200 bytes, the property text followed
// by filler) or the normal answer three times.
std::vector<std::string> DiscoveryAnswers(const RouterSetup& router);

}  // namespace dezadav::routersim
