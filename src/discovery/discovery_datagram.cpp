#include "discovery/discovery_datagram.h"

#include <algorithm>
#include <array>

namespace dezadav {
namespace {

constexpr std::size_t kIpOffset = 4;
constexpr std::size_t kMaskOffset = 8;
constexpr std::size_t kMacOffset = 12;
constexpr std::size_t kPropertyOffset = 66;

}  // namespace

std::string BuildDiscoveryRequest() {
    static constexpr std::array<unsigned char, kDiscoveryRequestSize> kRequest = {
        0xDD, 0x80, 0x00, static_cast<unsigned char>(kDiscoveryRequestSize), 'Z', 'E', 'Z', 'I', 'D',
        'E',  'Z',  0x00};
    return std::string(reinterpret_cast<const char*>(kRequest.data()), kRequest.size());
}

std::string FormatDottedDecimal(const unsigned char* fourBytes) {
    std::string text;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(static_cast<unsigned>(fourBytes[i]));
    }
    return text;
}

std::string FormatMacAddress(const unsigned char* sixBytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(17);
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0) text += '-';
        text += kHex[sixBytes[i] >> 4];
        text += kHex[sixBytes[i] & 0x0F];
    }
    return text;
}

std::optional<DiscoveryAnswer> ReadDiscoveryAnswer(std::string_view datagram) {
    datagram = datagram.substr(0, kMaxDiscoveryDatagramSize);
    if (datagram.size() < kMinDiscoveryAnswerSize) return std::nullopt;
    const auto* bytes = reinterpret_cast<const unsigned char*>(datagram.data());

    DiscoveryAnswer answer;
    answer.ipAddress = FormatDottedDecimal(bytes + kIpOffset);
    answer.subnetMask = FormatDottedDecimal(bytes + kMaskOffset);
    answer.macAddress = FormatMacAddress(bytes + kMacOffset);
    // The router closes the text with one trailing byte that is not part of it; the text is also
    // zero-terminated, so an embedded zero byte ends it early.
    std::string_view text = datagram.substr(kPropertyOffset, datagram.size() - kPropertyOffset - 1);
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    answer.propertyText.assign(text);
    return answer;
}

}  // namespace dezadav
