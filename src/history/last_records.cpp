#include "history/last_records.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>

namespace dezadav {

namespace {

std::uint32_t Rotate(std::uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

std::string Sha1Hex(std::string message) {
    std::array<std::uint32_t, 5> h{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    message += static_cast<char>(0x80);
    while (message.size() % 64 != 56) message += '\0';
    for (int i = 7; i >= 0; --i) message += static_cast<char>((bits >> (i * 8)) & 0xFF);
    for (std::size_t block = 0; block < message.size(); block += 64) {
        std::array<std::uint32_t, 80> w{};
        for (int i = 0; i < 16; ++i) {
            for (int b = 0; b < 4; ++b)
                w[i] = (w[i] << 8) |
                       static_cast<unsigned char>(message[block + static_cast<std::size_t>(i * 4 + b)]);
        }
        for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999u;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1u;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDCu;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6u;
            }
            const std::uint32_t next = Rotate(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = Rotate(b, 30);
            b = a;
            a = next;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint32_t word : h) {
        for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(word >> shift) & 0xF];
    }
    return hex;
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

bool IsObjectId(const std::string& text) {
    return text.size() == 40 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The commit the bare repository's branch names now, read as git keeps it (HEAD naming a branch whose
// ref is a file of its own); empty when it is kept otherwise (packed), which the caller then leaves
// to git.
std::string BranchTip(const std::string& folder) {
    const std::string head = FirstLine(folder + "/HEAD");
    if (IsObjectId(head)) return head;
    constexpr std::string_view kRef = "ref: ";
    if (head.rfind(kRef, 0) != 0 || head.find("..") != std::string::npos) return {};
    const std::string tip = FirstLine(folder + "/" + head.substr(kRef.size()));
    return IsObjectId(tip) ? tip : std::string();
}

}  // namespace

std::string GitBlobId(std::string_view text) {
    std::string object = "blob " + std::to_string(text.size());
    object += '\0';
    object.append(text);
    return Sha1Hex(std::move(object));
}

namespace {

// The git id the last-records list names for `fileName`, when the list is of the commit the branch
// names now; nothing otherwise.
std::optional<std::string> ListedId(const std::string& folder, const std::string& fileName) {
    const std::string tip = BranchTip(folder);
    if (tip.empty()) return std::nullopt;
    std::ifstream list(folder + "/" + kLastRecordsFileName, std::ios::binary);
    std::string line;
    if (!std::getline(list, line) || line != tip) return std::nullopt;
    while (std::getline(list, line)) {
        if (line.size() > 41 && line.compare(41, std::string::npos, fileName) == 0) return line.substr(0, 40);
    }
    return std::nullopt;
}

}  // namespace

bool LastRecordHolds(const std::string& folder, const std::string& fileName, std::string_view text) {
    const std::optional<std::string> id = ListedId(folder, fileName);
    return id && *id == GitBlobId(text);
}

bool LastRecordsName(const std::string& folder, const std::string& fileName) {
    return ListedId(folder, fileName).has_value();
}

}  // namespace dezadav
