#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace dezadav::testing {

// Builds a router's discovery answer the way routers lay it out: four unread bytes, the IPv4
// address, the subnet mask, the MAC address, 48 unread bytes, the property text and one closing
// byte that is not part of the text.
struct AnswerBytes {
    std::array<unsigned char, 4> ip{192, 168, 1, 1};
    std::array<unsigned char, 4> mask{255, 255, 255, 0};
    std::array<unsigned char, 6> mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::string propertyText = "[ModelName=DZV-R5730K][Version=1.0.7]";
    char closingByte = '\0';
    char filler = '\x5A';  // what the unread bytes hold; must not matter

    std::string Build() const {
        std::string bytes(4, filler);
        bytes.append(reinterpret_cast<const char*>(ip.data()), ip.size());
        bytes.append(reinterpret_cast<const char*>(mask.data()), mask.size());
        bytes.append(reinterpret_cast<const char*>(mac.data()), mac.size());
        bytes.append(48, filler);
        bytes += propertyText;
        bytes += closingByte;
        return bytes;
    }
};

// An answer for the router with MAC address ending in `last`, announcing `model`.
inline std::string AnswerFrom(unsigned char last, std::string_view model = "DZV-R5830K") {
    AnswerBytes answer;
    answer.mac[5] = last;
    answer.ip[3] = last;
    answer.propertyText = "[ModelName=" + std::string(model) + "][Version=2.1]";
    return answer.Build();
}

}  // namespace dezadav::testing
