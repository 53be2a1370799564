// Feeds arbitrary bytes to the codec/RTP/DTMF output reader as each of the three output kinds, with
// the five-codec and the three-codec list, and checks what must hold whatever the router prints.
//
// Byte 0 chooses the case: bits 0-1 the kind (3: a settings-file codec row instead of an output),
// bit 2 the one-port codec list; the remaining bytes are the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "lang/language_table.h"
#include "settings/codec_settings.h"

namespace {

using dezadav::fuzzing::Require;
using dezadav::fuzzing::SplitAtCommas;

void CheckInvariants(const dezadav::CodecSettings& codec, bool onePort) {
    Require(codec.CodecFields(true).size() == dezadav::kCodecRowFieldCount);
    Require(codec.CodecFields(false).size() == dezadav::kCodecRowFieldCount);
    Require(codec.Codec().Count() == (onePort ? dezadav::kOnePortCodecCount : 5));
    Require(codec.PacketSize().Count() == 6);
    for (const dezadav::ChoiceList* list : {&codec.Codec(), &codec.PacketSize()}) {
        Require(list->Selected() >= -1 && list->Selected() < list->Count());
    }
    Require(codec.DtmfModeValue() >= 0 && codec.DtmfModeValue() <= 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const dezadav::LanguageTable language;
    const unsigned mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool onePort = (mode & 4) != 0;

    dezadav::CodecSettings codec(language);
    if (onePort) codec.LimitCodecChoicesToOnePort();
    const unsigned kind = mode & 3;
    if (kind == 3) {
        codec.LoadCodecRow(SplitAtCommas(text));
        CheckInvariants(codec, onePort);
        (void)dezadav::IsPayloadTypeInRange(codec.PayloadType());
        return 0;
    }
    const bool parsed = codec.ParseRtpOutput(text, static_cast<dezadav::RtpOutputKind>(kind));
    Require(parsed == !text.empty());
    CheckInvariants(codec, onePort);
    // The reader only sets values; reading the same output again changes nothing more.
    const std::vector<std::string> first = codec.CodecFields(true);
    codec.ParseRtpOutput(text, static_cast<dezadav::RtpOutputKind>(kind));
    Require(codec.CodecFields(true) == first);
    return 0;
}
