#pragma once

#include <array>
#include <string>
#include <string_view>

#include "lang/language_table.h"

namespace dezadav {

// A message of the session: its language key and the English text shown when the current language
// lacks the key.
struct SessionMessage {
    std::string_view key;
    std::string_view englishDefault;
};

// The message's text in `language`, or its English text when the language lacks the key.
inline std::string TextOrDefault(const LanguageTable& language, const SessionMessage& message) {
    std::string text = language.LookupText(message.key);
    if (text.empty() || text == kMissingText) text = message.englishDefault;
    return text;
}

// Caption of every failure message of a session.
inline constexpr SessionMessage kMsgErrorCaption{"Message_Error", "Error"};

// Connection and login, shared by every kind of run.
inline constexpr SessionMessage kMsgTcpSocket{"Message_TCPSocket", "Failed to create TCP socket!"};
inline constexpr SessionMessage kMsgConnect{"Message_Connect", "Failed to connect to router!"};
inline constexpr SessionMessage kMsgLogin{"Message_Login", "Failed to login router!"};

// Fetch failures, one per settings area.
inline constexpr SessionMessage kMsgGetDialPlan{"Message_GetDialPlan",
                                                "Failed to get DialPlan data from router!"};
inline constexpr SessionMessage kMsgGetSip{"Message_GetSIP", "Failed to get SIP data from router!"};
inline constexpr SessionMessage kMsgGetCodec{"Message_GetCODEC", "Failed to get Codec data from router!"};
inline constexpr SessionMessage kMsgGetLog{"Message_GetLOG", "Failed to get VoIP Log data from router!"};

// Apply failures. No language file holds Message_DelDialPlan, so its English text shows everywhere.
inline constexpr SessionMessage kMsgDelDialPlan{"Message_DelDialPlan",
                                                "Failed to Del DialPlan data on router!"};
inline constexpr SessionMessage kMsgSetDialPlan{"Message_SetDialPlan",
                                                "Failed to Set DialPlan data to router!"};
inline constexpr SessionMessage kMsgSetSip{"Message_SetSIP", "Failed to set SIP data to router!"};
inline constexpr SessionMessage kMsgSetCodec{"Message_SetCODEC", "Failed to set CODEC data to router!"};
// A value (or the password) that would carry a control byte into the router's command line.
inline constexpr SessionMessage kMsgControlByte{
    "Message_ControlByte",
    "A value contains a control character and cannot be sent to the "
    "router!"};

// The plain (no icon) message after a completed apply.
inline constexpr SessionMessage kMsgSuccessCaption{"Message_Success", "Success"};
inline constexpr SessionMessage kMsgApplyOk{"Message_ApplyOK", "Settings have been applied to router."};

// Progress texts of the three kinds of run.
inline constexpr SessionMessage kMsgProgressGetSettings{"Message_GetSetting", "Get Setting from router ..."};
inline constexpr SessionMessage kMsgProgressApplySettings{"Message_SetSetting",
                                                          "Apply Setting to router ..."};
inline constexpr SessionMessage kMsgProgressGetVoipLog{"Message_GetVoIPLog", "Get VoIP Log from router ..."};

// Text of the progress box before a run has set its own.
inline constexpr std::string_view kInitialProgressText = "Loading ...";

}  // namespace dezadav
