#include "discovery_answer.h"

#include <arpa/inet.h>

#include <cstring>

namespace dezadav::routersim {
namespace {

constexpr size_t kPropertyOffset = 66;
constexpr size_t kShortSize = 40;
constexpr size_t kOversizedSize = 1200;

void PutAddress(std::string& out, size_t at, const std::string& dotted) {
    in_addr addr{};
    inet_pton(AF_INET, dotted.c_str(), &addr);
    std::memcpy(&out[at], &addr.s_addr, 4);
}

void PutLength(std::string& out) {
    out[2] = static_cast<char>((out.size() >> 8) & 0xFF);
    out[3] = static_cast<char>(out.size() & 0xFF);
}

}  // namespace

bool IsDiscoveryRequest(const unsigned char* data, size_t size) {
    static const unsigned char request[12] = {0xDD, 0x80, 0x00, 0x0C, 'Z', 'E',
                                              'Z',  'I',  'D',  'E',  'Z', 0x00};
    return size == sizeof request && std::memcmp(data, request, sizeof request) == 0;
}

std::string DiscoveryAnswer(const RouterSetup& router) {
    std::string properties = "[ModelName=" + router.model + "][Version=" + router.version + "]";
    std::string out(kPropertyOffset, '\0');
    out[0] = static_cast<char>(0xDD);
    out[1] = static_cast<char>(0x81);
    PutAddress(out, 4, router.address);
    PutAddress(out, 8, router.mask);
    unsigned char mac[6] = {};
    ParseMac(router.mac, mac);
    std::memcpy(&out[12], mac, 6);
    in_addr address{};
    in_addr mask{};
    inet_pton(AF_INET, router.address.c_str(), &address);
    inet_pton(AF_INET, router.mask.c_str(), &mask);
    uint32_t gateway = htonl((ntohl(address.s_addr) & ntohl(mask.s_addr)) | 1u);
    std::memcpy(&out[18], &gateway, 4);
    out += properties;
    out += '\0';
    PutLength(out);
    return out;
}

std::vector<std::string> DiscoveryAnswers(const RouterSetup& router) {
    std::string answer = DiscoveryAnswer(router);
    switch (router.faults.discovery) {
        case DiscoveryFault::Silent:
            return {};
        case DiscoveryFault::Short:
            answer.resize(kShortSize);
            PutLength(answer);
            return {answer};
        case DiscoveryFault::Oversized:
            answer.pop_back();
            while (answer.size() < kOversizedSize - 1) answer += '.';
            answer += '\0';
            PutLength(answer);
            return {answer};
        case DiscoveryFault::Repeated:
            return {answer, answer, answer};
        case DiscoveryFault::None:
            break;
    }
    return {answer};
}

}  // namespace dezadav::routersim
