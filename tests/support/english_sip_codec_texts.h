#pragma once

#include <string>
#include <utility>
#include <vector>

namespace dezadav::testing {

// The English texts of the SIP and codec keys, as the English language file holds them.
inline const std::vector<std::pair<std::string, std::string>>& EnglishSipCodecTexts() {
    static const std::vector<std::pair<std::string, std::string>> texts = {
        {"SIP_1Via0", "None"},
        {"SIP_1Via1", "Auto"},
        {"SIP_1Via2", "WAN"},
        {"SIP_1Via3", "LAN/VPN"},
        {"SIP_2Via0", "None"},
        {"SIP_2Via1", "Auto"},
        {"SIP_2Via2", "WAN"},
        {"SIP_2Via3", "LAN/VPN"},
        {"SIP_1Time0", "3 mins"},
        {"SIP_1Time1", "5 mins"},
        {"SIP_1Time2", "10 mins"},
        {"SIP_1Time3", "30 mins"},
        {"SIP_1Time4", "1 hour"},
        {"SIP_1Time5", "2 hours"},
        {"SIP_1Time6", "4 hours"},
        {"SIP_1Time7", "8 hours"},
        {"SIP_1Time8", "16 hours"},
        {"SIP_1Time9", "1 day"},
        {"SIP_2Time0", "3 mins"},
        {"SIP_2Time1", "5 mins"},
        {"SIP_2Time2", "10 mins"},
        {"SIP_2Time3", "30 mins"},
        {"SIP_2Time4", "1 hour"},
        {"SIP_2Time5", "2 hours"},
        {"SIP_2Time6", "4 hours"},
        {"SIP_2Time7", "8 hours"},
        {"SIP_2Time8", "16 hours"},
        {"SIP_2Time9", "1 day"},
        {"SIP_UserName1", "Name :"},
        {"SIP_UserName2", "Name :"},
        {"SIP_5870Name", "Username :"},
        {"Codec_Codec1", "G.711MU (64Kpbs)"},
        {"Codec_Codec2", "G.711A (64Kpbs)"},
        {"Codec_Codec3", "G.729A/B (8Kpbs)"},
        {"Codec_Codec4", "G.723 (6.4Kpbs)"},
        {"Codec_Codec5", "G.726_32 (32Kpbs)"},
        {"Codec_Size1", "10 ms"},
        {"Codec_Size2", "20 ms"},
        {"Codec_Size3", "30 ms"},
        {"Codec_Size4", "40 ms"},
        {"Codec_Size5", "50 ms"},
        {"Codec_Size6", "60 ms"},
        {"Codec_InBand", "InBand"},
        {"Codec_OutBand", "OutBand"},
        {"Codec_SIPInfo", "SIP INFO"},
        {"Message_Error", "Error"},
        {"Message_Payload", "The value must between 96 ~ 127!"},
    };
    return texts;
}

}  // namespace dezadav::testing
