#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dezadav {

// The routers listen for the discovery request on this UDP port.
inline constexpr std::uint16_t kDiscoveryPort = 56415;
// How long a search takes answers, in milliseconds, unless told otherwise.
inline constexpr int kAnswerWaitMs = 2000;
// The limited broadcast address every search is sent to (besides the directed broadcasts).
inline constexpr std::string_view kLimitedBroadcastAddress = "255.255.255.255";

inline constexpr std::size_t kDiscoveryRequestSize = 12;
// Answers shorter than this carry no property text and are ignored.
inline constexpr std::size_t kMinDiscoveryAnswerSize = 68;
// One read takes at most this many bytes of a datagram; the rest of a longer datagram is lost.
inline constexpr std::size_t kMaxDiscoveryDatagramSize = 1000;

// The 12-byte request: 0xDD 0x80, its own length 12 as big-endian 16-bit, "ZEZIDEZ" and a zero byte.
std::string BuildDiscoveryRequest();

// The fields of an answer the program reads, already formatted.
struct DiscoveryAnswer {
    std::string ipAddress;     // bytes 4-7, dotted decimal
    std::string subnetMask;    // bytes 8-11, dotted decimal
    std::string macAddress;    // bytes 12-17, "%02X-%02X-%02X-%02X-%02X-%02X"
    std::string propertyText;  // bytes 66 .. n-2, ended early by a zero byte
};

// Reads one received datagram (only its first 1000 bytes count, as one read would take them).
// Returns nothing for a datagram shorter than 68 bytes. The datagram's last byte is never part of
// the property text.
std::optional<DiscoveryAnswer> ReadDiscoveryAnswer(std::string_view datagram);

// Four bytes (first octet first) as four decimal numbers joined by full stops.
std::string FormatDottedDecimal(const unsigned char* fourBytes);

// Six bytes as six upper-case two-digit hexadecimal groups joined by "-".
std::string FormatMacAddress(const unsigned char* sixBytes);

}  // namespace dezadav
