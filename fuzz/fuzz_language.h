#pragma once

#include <string>
#include <string_view>

#include "lang/language_table.h"

namespace dezadav::fuzzing {

// The language lines the settings models need: the loop names of the dial plan and the codec and
// packet-size choices of the codec settings.
inline constexpr std::string_view kModelLanguageLines =
    "Index_Loop1 [ISDN]\r\nIndex_Loop2 [PSTN]\r\nIndex_Loop3 [None]\r\n"
    "Codec_Codec1 [G.711MU (64Kpbs)]\r\nCodec_Codec2 [G.711A (64Kpbs)]\r\n"
    "Codec_Codec3 [G.729A/B (8Kpbs)]\r\nCodec_Codec4 [G.723 (6.4Kpbs)]\r\nCodec_Codec5 [G.726 (32Kpbs)]\r\n"
    "Codec_Size1 [10 ms]\r\nCodec_Size2 [20 ms]\r\nCodec_Size3 [30 ms]\r\nCodec_Size4 [40 ms]\r\n"
    "Codec_Size5 [50 ms]\r\nCodec_Size6 [60 ms]\r\n";

// A language table holding the model lines followed by `extraLines` (same file form).
inline LanguageTable ModelLanguage(std::string_view extraLines = {}) {
    LanguageTable table;
    table.LoadFromBytes(std::string(kModelLanguageLines) + std::string(extraLines));
    return table;
}

}  // namespace dezadav::fuzzing
