#pragma once

#include <cstddef>

namespace dezadav {

// The fields of a SIP row, in row order: the order of the settings file's SIP row, of the fields an
// apply compares and of the SIP commands it sends.
enum class SipField : std::size_t {
    SipPort,
    Registrar,
    Port1Registration,  // two-port: the register-via position; one-port: the use-registrar box (1/0)
    Port1UserName,
    Port1Password,
    Port1Expiry,       // expiry list position
    Port2RegisterVia,  // two-port: the register-via position; one-port: 0
    Port2UserName,
    Port2Password,
    Port2Expiry,
};
inline constexpr std::size_t kSipRowFieldCount = 10;

// The fields of a codec row, in row order (settings file, apply comparison and codec commands).
enum class CodecField : std::size_t {
    Codec,       // list position (numeric row) or the entry's text (settings file)
    PacketSize,  // the same
    DtmfMode,
    PayloadType,
    RtpPortStart,
    RtpPortEnd,
};
inline constexpr std::size_t kCodecRowFieldCount = 6;

// A field's position in its row.
template <typename Field>
constexpr std::size_t FieldPosition(Field field) {
    return static_cast<std::size_t>(field);
}

}  // namespace dezadav
