#pragma once

#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav {

// A text the program shows in a message box or a progress window: its language key and the English
// text shown when the current language lacks the key. Every such text of the program is listed
// below, once; code names the constant, never the key.
struct MessageText {
    std::string_view key;
    std::string_view englishDefault;
};

// The message's text in `language`, or its English text when the language lacks the key.
inline std::string TextOrDefault(const LanguageTable& language, const MessageText& message) {
    std::string text = language.LookupText(message.key);
    if (text.empty() || text == kMissingText) text = message.englishDefault;
    return text;
}

// Values a list of differences shows for a field without a value and a dial-plan entry taken out.
inline constexpr MessageText kMsgValueEmpty{"Message_ValueEmpty", "(empty)"};
inline constexpr MessageText kMsgEntryDeleted{"Message_EntryDeleted", "(deleted)"};

// Captions.
inline constexpr MessageText kMsgErrorCaption{"Message_Error", "Error"};
inline constexpr MessageText kMsgWarnCaption{"Message_Warn", "Warning"};
inline constexpr MessageText kMsgSuccessCaption{"Message_Success", "Success"};

// Shows `text` followed by `detail` under `caption` through `port`, as ShowMessageText does (the
// looked-up text with the exclamation icon, the English one with the stop icon). Returns the text
// shown.
inline std::string ShowMessageWithDetail(const LanguageTable& language, MessagePort& port, const MessageText& text,
                                         const std::string& detail, const MessageText& caption = kMsgErrorCaption) {
    std::string shown = language.LookupText(text.key);
    MessageIcon icon = MessageIcon::Exclamation;
    if (shown.empty() || shown == kMissingText) {
        shown = text.englishDefault;
        icon = MessageIcon::Stop;
    }
    shown += detail;
    port.ShowMessage(TextOrDefault(language, caption), shown, icon);
    return shown;
}

// Shows `text` under `caption` through `port`, as every failure of the program is shown.
inline void ShowMessageText(const LanguageTable& language, MessagePort& port, const MessageText& text,
                            const MessageText& caption = kMsgErrorCaption) {
    language.ShowLocalizedMessage(port, caption.key, text.key, caption.englishDefault, text.englishDefault);
}

// Discovery.
inline constexpr MessageText kMsgUdpSocket{"Message_UDPSocket", "Failed to create UDP socket!"};
inline constexpr MessageText kMsgRouterOutOfRange{"Message_Router", "Response string out of range!"};
inline constexpr MessageText kMsgBadAddress{"Message_BadAddress",
                                            "Please type a valid IPv4 address, for example 192.168.1.1!"};
inline constexpr MessageText kMsgNoAnswer{"Message_NoAnswer", "No router answered at this address!"};

// Connection and login, shared by every kind of router exchange.
inline constexpr MessageText kMsgTcpSocket{"Message_TCPSocket", "Failed to create TCP socket!"};
inline constexpr MessageText kMsgConnect{"Message_Connect", "Failed to connect to router!"};
inline constexpr MessageText kMsgLogin{"Message_Login", "Failed to login router!"};

// Fetch failures, one per settings area.
inline constexpr MessageText kMsgGetDialPlan{"Message_GetDialPlan",
                                             "Failed to get DialPlan data from router!"};
inline constexpr MessageText kMsgGetSip{"Message_GetSIP", "Failed to get SIP data from router!"};
inline constexpr MessageText kMsgGetCodec{"Message_GetCODEC", "Failed to get Codec data from router!"};
inline constexpr MessageText kMsgGetLog{"Message_GetLOG", "Failed to get VoIP Log data from router!"};

// Apply failures. No language file holds Message_DelDialPlan, so its English text shows everywhere.
inline constexpr MessageText kMsgDelDialPlan{"Message_DelDialPlan", "Failed to Del DialPlan data on router!"};
inline constexpr MessageText kMsgSetDialPlan{"Message_SetDialPlan", "Failed to Set DialPlan data to router!"};
inline constexpr MessageText kMsgSetSip{"Message_SetSIP", "Failed to set SIP data to router!"};
inline constexpr MessageText kMsgSetCodec{"Message_SetCODEC", "Failed to set CODEC data to router!"};
// A value (or the password) that would carry a control byte into the router's command line.
inline constexpr MessageText kMsgControlByte{
    "Message_ControlByte", "A value contains a control character and cannot be sent to the router!"};
// A value the router cannot take (a port outside 1 to 65535, a payload type outside 96 to 127),
// followed by the field and its range.
inline constexpr MessageText kMsgValueRange{"Message_ValueRange",
                                            "A value is outside the range the router accepts and cannot be sent!"};
// The RTP port range the other way round.
inline constexpr MessageText kMsgRtpPortOrder{"Message_RtpPortOrder",
                                              "The RTP start port must not be above the RTP end port!"};
// A set command the router answered with an error: the apply stops there. Followed by the command and
// the router's words.
inline constexpr MessageText kMsgRouterRefused{"Message_RouterRefused",
                                               "The router refused a command; the apply was stopped there."};
// Settings the router's answers did not hold (an error text instead of the values), followed by the
// areas. Their page holds no values until they have been read.
inline constexpr MessageText kMsgSettingsUnread{"Message_SettingsUnread",
                                                "These settings could not be read from the router:"};
// Names of the areas in the message above.
inline constexpr MessageText kMsgAreaSip{"Message_AreaSIP", "SIP"};
inline constexpr MessageText kMsgAreaCodec{"Message_AreaCODEC", "Codec, RTP and DTMF"};
// Apply of a settings file saved from the other router form: what the router loses. Answered with
// Yes (apply) or No.
inline constexpr MessageText kMsgFormTwoPortFile{
    "Message_FormTwoPortFile",
    "The loaded file was saved from a two-port router, but this router is a one-port router. Applying it "
    "clears the loop-through and backup numbers of the dial-plan entries it holds, and its SIP expiry "
    "times may not be what the file meant. Apply anyway?"};
inline constexpr MessageText kMsgFormOnePortFile{
    "Message_FormOnePortFile",
    "The loaded file was saved from a one-port router, but this router is a two-port router. Applying it "
    "drops the loop-through and backup numbers the file holds, and its SIP expiry times and codec may not "
    "be what the file meant. Apply anyway?"};
// The plain (no icon) message after a completed apply.
inline constexpr MessageText kMsgApplyOk{"Message_ApplyOK", "Settings have been applied to router."};
// Apply to Router with no command to send (shown like the message above; no login is made).
inline constexpr MessageText kMsgNoChanges{"Message_NoChanges", "There are no changes to apply."};

// Progress texts of the three kinds of router exchange.
inline constexpr MessageText kMsgProgressGetSettings{"Message_GetSetting", "Get Setting from router ..."};
inline constexpr MessageText kMsgProgressApplySettings{"Message_SetSetting", "Apply Setting to router ..."};
inline constexpr MessageText kMsgProgressGetVoipLog{"Message_GetVoIPLog", "Get VoIP Log from router ..."};

// Settings files and edits.
inline constexpr MessageText kMsgFileFail{"Message_FileFail", "Couldn't load settings form the file!"};
inline constexpr MessageText kMsgSaveFail{"Message_SaveFail", "Couldn't save settings to the file!"};
inline constexpr MessageText kMsgPayload{"Message_Payload", "The value must between 96 ~ 127!"};
inline constexpr MessageText kMsgEmptyEntry{"Message_Empty", "Phone number and domain name cannot be blank!"};

// Leaving the program (Esc, the close box, the tray's Exit) while the pages hold edits that were
// neither applied nor saved: the question and its buttons (Apply to Router, Discard, Cancel).
inline constexpr MessageText kMsgUnsavedEdits{
    "Message_UnsavedEdits",
    "Changes on the pages have been neither applied to the router nor saved. Apply them to the router "
    "before leaving?"};
inline constexpr MessageText kMsgApplyButton{"Button_Apply", "Apply to Router"};
inline constexpr MessageText kMsgDiscardButton{"Button_Discard", "Discard"};
inline constexpr MessageText kMsgCancelButton{"Button_Cancel", "Cancel"};

}  // namespace dezadav
