#pragma once

#include <array>
#include <string>
#include <string_view>

#include "lang/messages.h"

namespace dezadav {

// The raw output of each fetch command in the captured form (everything after the echoed command
// line up to and including the closing prompt, then LF CR), as one run returns them
// (SessionResult); the text of a command the run did not run is empty.
struct FetchedTexts {
    std::string dialPlanList;  // "voip dial_plan list -t"
    std::string sipEndpt1;     // "voip sip endpt1"
    std::string sipEndpt2;     // "voip sip endpt2", two-port models only
    std::string sipPort;       // "voip sip port"
    std::string sipRegistrar;  // "voip sip registrar"
    std::string rtpCodec;      // "voip rtp codec"
    std::string rtpDtmf;       // "voip rtp dtmf"
    std::string rtpPort;       // "voip rtp port"
    std::string callLog;       // "voip sip calllog"
};

// One command of the full fetch, in the order it runs.
struct FetchCommand {
    std::string FetchedTexts::*text;  // where its output goes
    std::string_view command;
    MessageText failure;
    bool twoPortOnly;
};

inline constexpr std::array<FetchCommand, 9> kFetchCommands{{
    {&FetchedTexts::dialPlanList, "voip dial_plan list -t", kMsgGetDialPlan, false},
    {&FetchedTexts::sipEndpt1, "voip sip endpt1", kMsgGetSip, false},
    {&FetchedTexts::sipEndpt2, "voip sip endpt2", kMsgGetSip, true},
    {&FetchedTexts::sipPort, "voip sip port", kMsgGetSip, false},
    {&FetchedTexts::sipRegistrar, "voip sip registrar", kMsgGetSip, false},
    {&FetchedTexts::rtpCodec, "voip rtp codec", kMsgGetCodec, false},
    {&FetchedTexts::rtpDtmf, "voip rtp dtmf", kMsgGetCodec, false},
    {&FetchedTexts::rtpPort, "voip rtp port", kMsgGetCodec, false},
    {&FetchedTexts::callLog, "voip sip calllog", kMsgGetLog, false},
}};

// The only command of a log-only fetch (the last of the full fetch).
inline constexpr const FetchCommand& kCallLogFetchCommand = kFetchCommands.back();

}  // namespace dezadav
