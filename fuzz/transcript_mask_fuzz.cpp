// Feeds router output, cut into reads at places the first bytes pick, to the transcript's password
// mask; the masked stream must be the same however it is cut, as long as what came in, and hold no
// byte of a password the router printed (the word after "password:", found in the whole text at
// once).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "session/transcript.h"

namespace {

bool IsWordEnd(char byte) { return byte == ' ' || byte == '\r' || byte == '\n'; }

// The positions of the password bytes in `text`, read in one piece.
std::string PasswordMap(std::string_view text) {
    std::string map(text.size(), '.');
    constexpr std::string_view keyword = "password:";
    std::size_t at = 0;
    while ((at = text.find(keyword, at)) != std::string_view::npos) {
        at += keyword.size();
        while (at < text.size() && IsWordEnd(text[at])) ++at;
        while (at < text.size() && !IsWordEnd(text[at])) map[at++] = 'P';
    }
    return map;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using dezadav::fuzzing::Require;
    if (size < 4) return 0;
    const std::string_view cuts(reinterpret_cast<const char*>(data), 3);
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

    dezadav::PrintedPasswordMask whole;
    const std::string once = whole.Mask(text);
    dezadav::PrintedPasswordMask pieces;
    std::string streamed;
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
        const std::size_t length = 1 + static_cast<unsigned char>(cuts[i % cuts.size()]) % 16;
        streamed += pieces.Mask(text.substr(at, length));
        at += length;
    }
    Require(streamed == once);
    Require(once.size() == text.size());
    const std::string map = PasswordMap(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A password byte is masked; every other byte stays as it came.
        Require(map[i] == 'P' ? once[i] == '*' : once[i] == text[i]);
    }
    return 0;
}
