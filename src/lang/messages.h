#pragma once

#include <cstddef>
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
inline constexpr MessageText kMsgAnswersLost{
    "Message_AnswersLost",
    "More routers answered at once than this computer could take in: some are missing from the list. "
    "Search again to find them."};
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
inline constexpr MessageText kMsgNotOneWord{
    "Message_NotOneWord", "A value holds a space or a double quote and cannot be sent to the router!"};
inline constexpr MessageText kMsgValueRange{"Message_ValueRange",
                                            "A value is outside the range the router accepts and cannot be sent!"};
// The RTP port range the other way round.
inline constexpr MessageText kMsgRtpPortOrder{"Message_RtpPortOrder",
                                              "The RTP start port must not be above the RTP end port!"};
// The fields a refusal of an apply names (ApplyRefusal::Detail); a dial-plan entry's field follows
// kMsgFieldEntry with the entry's index for "%s".
inline constexpr MessageText kMsgFieldPassword{"Field_Password", "password"};
inline constexpr MessageText kMsgFieldSipPort{"Field_SipPort", "SIP port"};
inline constexpr MessageText kMsgFieldRegistrar{"Field_Registrar", "SIP registrar"};
inline constexpr MessageText kMsgFieldPort1Registration{"Field_Port1Registration", "SIP port 1 registration"};
inline constexpr MessageText kMsgFieldPort1Name{"Field_Port1Name", "SIP port 1 name"};
inline constexpr MessageText kMsgFieldPort1Password{"Field_Port1Password", "SIP port 1 password"};
inline constexpr MessageText kMsgFieldPort1Expiry{"Field_Port1Expiry", "SIP port 1 expiry"};
inline constexpr MessageText kMsgFieldPort2Registration{"Field_Port2Registration", "SIP port 2 registration"};
inline constexpr MessageText kMsgFieldPort2Name{"Field_Port2Name", "SIP port 2 name"};
inline constexpr MessageText kMsgFieldPort2Password{"Field_Port2Password", "SIP port 2 password"};
inline constexpr MessageText kMsgFieldPort2Expiry{"Field_Port2Expiry", "SIP port 2 expiry"};
inline constexpr MessageText kMsgFieldCodec{"Field_Codec", "codec"};
inline constexpr MessageText kMsgFieldPacketSize{"Field_PacketSize", "codec packet size"};
inline constexpr MessageText kMsgFieldDtmfMode{"Field_DtmfMode", "DTMF mode"};
inline constexpr MessageText kMsgFieldPayloadType{"Field_PayloadType", "DTMF payload type"};
inline constexpr MessageText kMsgFieldRtpStart{"Field_RtpStart", "RTP start port"};
inline constexpr MessageText kMsgFieldRtpEnd{"Field_RtpEnd", "RTP end port"};
inline constexpr MessageText kMsgFieldEntryIndex{"Field_EntryIndex", "index"};
inline constexpr MessageText kMsgFieldEntryPhone{"Field_EntryPhone", "phone number"};
inline constexpr MessageText kMsgFieldEntrySipAddress{"Field_EntrySipAddress", "SIP address"};
inline constexpr MessageText kMsgFieldEntryBackup{"Field_EntryBackup", "backup number"};
inline constexpr MessageText kMsgFieldEntry{"Field_Entry", "dial plan entry %s, "};
// A set command the router answered with an error: the apply stops there. Followed by the command and
// the router's words.
inline constexpr MessageText kMsgRouterRefused{"Message_RouterRefused",
                                               "The router refused a command; the apply was stopped there."};
// Settings the router's answers did not hold (an error text instead of the values), followed by the
// areas. Their page holds no values until they have been read.
inline constexpr MessageText kMsgSettingsUnread{"Message_SettingsUnread",
                                                "These settings could not be read from the router:"};
// Names of the areas in the message above.
inline constexpr MessageText kMsgAreaDialPlan{"Message_AreaDialPlan", "Dial plan"};
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
// Why a settings file is refused, after "file:line: field: "value"" ("%s" stands for the values named).
inline constexpr MessageText kMsgFileRefused{"Message_FileRefused",
                                             "The file was not loaded; nothing was changed or sent:"};
inline constexpr MessageText kMsgFileNotOneOf{"Message_FileNotOneOf", "is not one of %s"};
inline constexpr MessageText kMsgFileNotNumber{"Message_FileNotNumber", "is not a number from %s to %s"};
inline constexpr MessageText kMsgFileUnsendable{
    "Message_FileUnsendable", "cannot be sent to the router (it holds a space, a double quote or a control character)"};
inline constexpr MessageText kMsgFileRepeated{"Message_FileRepeated", "is given twice"};
inline constexpr MessageText kMsgFileExtraField{"Message_FileExtraField", "is a field the row does not have"};
inline constexpr MessageText kMsgFileFieldCount{"Message_FileFieldCount", "has %s fields, not %s"};
inline constexpr MessageText kMsgFileSecondRow{"Message_FileSecondRow", "is a second row; the section has one"};
inline constexpr MessageText kMsgFileRtpOrder{"Message_FileRtpOrder", "is above the RTP end port %s"};
inline constexpr MessageText kMsgFileLineBreak{"Message_FileLineBreak",
                                               "holds a line break, which a settings file cannot hold"};
inline constexpr MessageText kMsgPayload{"Message_Payload", "The value must between 96 ~ 127!"};
inline constexpr MessageText kMsgEmptyEntry{"Message_Empty", "Phone number and domain name cannot be blank!"};

// The history of every router's settings. A record that could not be written, followed by why
// (after a fetch, a completed apply or a backup: the work itself is done).
inline constexpr MessageText kMsgHistoryNotRecorded{"Message_HistoryNotRecorded",
                                                    "The router's settings could not be recorded in the history:"};
// The record every apply takes first could not be written: the question whether to apply without
// it (Yes / No), then, when not, why nothing was sent and how to go on. Both followed by why.
inline constexpr MessageText kMsgApplyWithoutRecord{
    "Message_ApplyWithoutRecord",
    "The router's settings could not be recorded in the history before the apply, so this apply could not "
    "be undone. Apply without a record?"};
inline constexpr MessageText kMsgHistoryApplyRefused{
    "Message_HistoryApplyRefused",
    "Nothing was sent: the router's settings could not be recorded in the history before the apply. Make "
    "the history folder usable, or apply without a record (answer Yes when the window asks; dezadav-cli "
    "takes --no-history):"};
// The history folder could not be opened when the window started: it goes on without a history.
// Why a record cannot be read when the history is switched off.
inline constexpr std::string_view kNoHistoryKept = "no history is kept";
// Something put right in the history folder, or to be put right by the user (a chmod); followed by what.
inline constexpr MessageText kMsgHistoryWarning{"Message_HistoryWarning", "About the history folder:"};
// Undo found no record to go back to; followed by why.
inline constexpr MessageText kMsgNothingToUndo{"Message_NothingToUndo", "There is nothing to undo:"};
inline constexpr MessageText kMsgHistoryUnavailable{
    "Message_HistoryUnavailable", "The history folder cannot be used; no settings are recorded until the next start:"};

// Leaving the program (Esc, the close box, the tray's Exit) while the pages hold edits that were
// neither applied nor saved: the question and its buttons (Apply to Router, Discard, Cancel).
inline constexpr MessageText kMsgUnsavedEdits{
    "Message_UnsavedEdits",
    "Changes on the pages have been neither applied to the router nor saved. Apply them to the router "
    "before leaving?"};
inline constexpr MessageText kMsgApplyButton{"Button_Apply", "&Apply to Router"};
inline constexpr MessageText kMsgDiscardButton{"Button_Discard", "&Discard"};
inline constexpr MessageText kMsgCancelButton{"Button_Cancel", "Cancel"};

// The window's confirmation of the fields an apply changes, and its buttons.
inline constexpr MessageText kMsgChangesTitle{"Changes_Title", "Confirm Changes"};
inline constexpr MessageText kMsgChangesRouter{"Changes_Router", "Router :"};
inline constexpr MessageText kMsgChangesIntro{"Changes_Intro", "These settings will change on the router:"};
inline constexpr MessageText kMsgChangesResend{
    "Changes_Resend", "No setting changes: the router is sent again what the pages show."};
inline constexpr MessageText kMsgApplyNowButton{"Button_ApplyNow", "&Apply"};

// The window's History dialog: its texts, the cause of a record, the one-line summary of a record
// against the one before ("and %s more" follows the first differing field), and its buttons; the
// main window's History and Undo Apply buttons.
inline constexpr MessageText kMsgHistoryTitle{"History_Title", "History"};
inline constexpr MessageText kMsgHistoryIntro{"History_Intro", "Records of this router, newest first:"};
inline constexpr MessageText kMsgHistoryTime{"History_Time", "Time"};
inline constexpr MessageText kMsgHistoryCause{"History_Cause", "Cause"};
inline constexpr MessageText kMsgHistorySummary{"History_Summary", "Changes"};
inline constexpr MessageText kMsgHistoryFetch{"History_Fetch", "fetch"};
inline constexpr MessageText kMsgHistoryBeforeApply{"History_BeforeApply", "before apply"};
inline constexpr MessageText kMsgHistoryAfterApply{"History_AfterApply", "after apply"};
inline constexpr MessageText kMsgHistoryBackup{"History_Backup", "backup"};
inline constexpr MessageText kMsgHistoryUndo{"History_Undo", "undo"};
inline constexpr MessageText kMsgHistoryFailedApply{"History_FailedApply", "after failed apply"};
inline constexpr MessageText kMsgHistoryFirst{"History_First", "first record"};
inline constexpr MessageText kMsgHistoryNoChange{"History_NoChange", "no change"};
inline constexpr MessageText kMsgHistoryMore{"History_More", "and %s more"};
inline constexpr MessageText kMsgHistoryUnreadableRecord{"History_Unreadable",
                                                         "not compared: a record cannot be read"};
inline constexpr MessageText kMsgHistoryAgainstPages{"History_AgainstPages",
                                                     "Where the selected record differs from the pages:"};
inline constexpr MessageText kMsgHistorySameAsPages{"History_SameAsPages",
                                                    "The pages hold the settings of this record."};
inline constexpr MessageText kMsgHistoryButton{"Button_History", "&History..."};
inline constexpr MessageText kMsgUndoButton{"Button_Undo", "&Undo Apply"};
inline constexpr MessageText kMsgViewButton{"Button_View", "&View"};
inline constexpr MessageText kMsgRestoreButton{"Button_Restore", "&Restore"};
inline constexpr MessageText kMsgCloseButton{"Button_Close", "&Close"};
// The records cannot be listed, or the chosen one cannot be loaded; followed by why.
inline constexpr MessageText kMsgHistoryUnreadable{"Message_HistoryUnreadable",
                                                   "The history of this router cannot be read:"};
inline constexpr MessageText kMsgRestoreFailed{"Message_RestoreFailed",
                                               "The record could not be loaded into the pages:"};

// Texts of the command lines: what dezadav-cli prints and refuses, and what the window program says
// on its terminal before any window exists. A command line speaks English only (scripts read what it
// prints, and the language is a choice made in the window), so these have no language key.

// Every line a command line prints about a failure starts with its program's name.
inline std::string CliErrorLine(std::string_view reason) {
    return "dezadav-cli: " + std::string(reason) + "\n";
}
inline std::string WindowProgramErrorLine(std::string_view reason) {
    return "dezadav: " + std::string(reason) + "\n";
}
// After a refused command line: where to read how it is written ("dezadav-cli fetch --help").
inline std::string TryHelpLine(std::string_view helpCommand) {
    return "Try '" + std::string(helpCommand) + "'.\n";
}

// Refusals of a command line; the options are named without their dashes.
inline constexpr std::string_view kCliNoCommand = "no command given";
inline std::string UnknownCommandText(std::string_view word) {
    return "unknown command '" + std::string(word) + "'";
}
inline std::string UnknownOptionText(std::string_view spelled) {
    return "unknown option '" + std::string(spelled) + "'";
}
inline std::string UnexpectedArgumentText(std::string_view argument) {
    return "unexpected argument '" + std::string(argument) + "'";
}
inline std::string OptionNotForCommandText(std::string_view option, std::string_view command) {
    return "option --" + std::string(option) + " does not apply to '" + std::string(command) + "'";
}
inline std::string OptionGivenTwiceText(std::string_view option) {
    return "option --" + std::string(option) + " given twice";
}
inline std::string OptionTakesNoValueText(std::string_view option) {
    return "option --" + std::string(option) + " takes no value";
}
inline std::string OptionNeedsValueText(std::string_view spelled) {
    return "option " + std::string(spelled) + " needs a value";
}
inline std::string OptionNeedsFileNameText(std::string_view option) {
    return "option --" + std::string(option) + " needs a file name";
}
// "--wait needs milliseconds from 0 to 600000, not 'x'": `wanted` says what the option takes.
inline std::string OptionValueRefusedText(std::string_view option, std::string_view wanted,
                                          std::string_view value) {
    return "--" + std::string(option) + " needs " + std::string(wanted) + ", not '" + std::string(value) +
           "'";
}
inline std::string CommandNeedsOptionText(std::string_view command, std::string_view option,
                                          std::string_view valueName) {
    return "'" + std::string(command) + "' needs --" + std::string(option) + " " + std::string(valueName);
}
inline std::string RouterGivenTwiceText(std::string_view router) {
    return "router " + std::string(router) + " given twice";
}
inline std::string OptionsExcludeEachOtherText(std::string_view option, std::string_view other) {
    return "options --" + std::string(option) + " and --" + std::string(other) + " exclude each other";
}
inline std::string ShowNeedsSettingsText() {
    return "'show' needs the settings to show: a settings file, a JSON document or router:HOST";
}
inline std::string DiffNeedsTwoSidesText() {
    return "'diff' needs two settings to compare: A B, each a settings file or router:HOST";
}
inline std::string DiffSideEmptyText() {
    return "an empty argument names no settings file";
}
inline std::string DiffRouterRefusedText(std::string_view side, std::string_view wanted,
                                        std::string_view prefix = "router:") {
    return "'" + std::string(side) + "' needs " + std::string(wanted) + " after " + std::string(prefix);
}
inline constexpr std::string_view kWantedPort = "a port number from 1 to 65535";
inline constexpr std::string_view kWantedIpv4Address = "a dotted IPv4 address";
inline constexpr std::string_view kWantedRouterName = "a dotted IPv4 address or a host name";
inline std::string WantedNumberText(long lowest, long highest) {
    return "a number from " + std::to_string(lowest) + " to " + std::to_string(highest);
}
inline std::string WantedMillisecondsText(long lowest, long highest) {
    return "milliseconds from " + std::to_string(lowest) + " to " + std::to_string(highest);
}
inline constexpr std::string_view kWindowOneFileAtMost =
    "one settings file at most, named by a non-empty path";

// dezadav-cli's settings file and environment, each refusal led by where the value came from.
inline std::string SettingsFileUnreadableText(std::string_view file) {
    return std::string(file) + ": cannot be read as a settings file";
}
inline std::string UnknownSettingText(std::string_view file, std::string_view key) {
    return std::string(file) + ": unknown setting '" + std::string(key) + "'";
}
inline std::string DefaultRefusedText(std::string_view source, std::string_view reason) {
    return std::string(source) + ": " + std::string(reason);
}

// Output that could not be written, and an apply stopped by Ctrl-C or SIGTERM after the command
// being sent.
inline std::string StandardOutputFailedText(std::string_view reason) {
    return "standard output: " + std::string(reason);
}
inline std::string ApplyInterruptedText(std::size_t sent, std::size_t planned) {
    return "Interrupted after " + std::to_string(sent) + " of " + std::to_string(planned) + " commands";
}

// A discovery request that no router answered.
inline std::string NoRouterAnsweredText(std::string_view where, int waitMs) {
    return "no router answered at " + std::string(where) + " within " + std::to_string(waitMs) + " ms";
}

// Router names looked up before any router is served.
inline std::string RouterNameLookupFailedText(std::string_view name, std::string_view reason) {
    return "cannot look up the router name '" + std::string(name) + "': " + std::string(reason);
}
inline std::string RouterNameWithoutIpv4Text(std::string_view name) {
    return "the router name '" + std::string(name) + "' has no IPv4 address";
}
inline std::string RouterGivenTwiceByNameText(std::string_view address, std::string_view name) {
    return "router " + std::string(address) + " given twice (once as " + std::string(name) + ")";
}

// The password and the per-router passwords file.
inline constexpr std::string_view kPasswordPrompt = "Password: ";
inline std::string NoPasswordText(std::string_view environmentVariable, std::string_view fileOption) {
    return "no password: set " + std::string(environmentVariable) + ", use --" + std::string(fileOption) +
           " F, or run on a terminal";
}
// A router of a --passwords run that has no line there (by IP address, nor by the MAC address its
// discovery answer gave) while no common password can be had: that router is not served.
inline std::string NoPasswordForRouterText(std::string_view ip, std::string_view mac) {
    return "no password for " + std::string(ip) + (mac.empty() ? std::string(" (no MAC address known)") : " (" + std::string(mac) + ")") +
           ": the passwords file has no line for it and no common password is given";
}
inline constexpr std::string_view kPasswordFileName = "password file";
inline constexpr std::string_view kPasswordsFileName = "passwords file";
inline std::string PasswordFileUnreadableText(std::string_view path) {
    return "Couldn't read the password file " + std::string(path) + "!";
}
// `what` is one of the two file names above.
inline std::string PrivateFileUnreadableText(std::string_view what, std::string_view path,
                                             std::string_view reason) {
    return "cannot read the " + std::string(what) + " " + std::string(path) + ": " + std::string(reason);
}
inline std::string PrivateFileReadableByOthersText(std::string_view what, std::string_view path) {
    return "the " + std::string(what) + " " + std::string(path) +
           " may be read by other users; it is not used until only its owner can read it (chmod 600 " +
           std::string(path) + ")";
}
inline std::string PasswordsFileUnreadableText(std::string_view path) {
    return "cannot read the passwords file " + std::string(path);
}
inline std::string PasswordsFileRefusedText(std::string_view path, std::string_view reason) {
    return "the passwords file " + std::string(path) + ": " + std::string(reason);
}
inline std::string PasswordLineWithoutPasswordText(int line) {
    return "line " + std::to_string(line) + " has no password after its address";
}
inline std::string PasswordLineBadAddressText(int line, std::string_view address) {
    return "line " + std::to_string(line) + " starts with '" + std::string(address) +
           "', which is neither an IPv4 nor a MAC address";
}

// One router's exchange. `where` is "address:discovery port".
inline std::string NoDiscoveryAnswerInBackupText(std::string_view where) {
    return "The router at " + std::string(where) + " did not answer the discovery request.";
}
inline std::string NoDiscoveryAnswerText(std::string_view where) {
    return "No answer to the discovery request from " + std::string(where) +
           "; give the model name with --model.";
}
inline std::string UnsupportedModelText(std::string_view router, std::string_view model) {
    return "The router at " + std::string(router) + " reports the model \"" + std::string(model) +
           "\", which is not supported; give the model name with --model to go on anyway.";
}
// The question about a file of the other router form, as the reason an apply without --force stops.
inline std::string NotAppliedWithoutForceText(std::string_view question) {
    return std::string(question) + " (not applied; --force applies it)";
}
// The command line's own words for a file of the other router form (the window asks instead).
inline std::string OtherFormRefusedText(bool fileIsTwoPort) {
    return fileIsTwoPort ? "refused: the file is for a two-port router and this one has one port (its loop-through "
                           "and backup numbers would be cleared, its SIP expiry times may change); --force applies "
                           "it anyway"
                         : "refused: the file is for a one-port router and this one has two ports (its loop-through "
                           "and backup numbers would be dropped, its SIP expiry times and codec may change); "
                           "--force applies it anyway";
}
// The end of a dry run's output; `count` is a number, or "N" in the help.
inline std::string DryRunText(std::string_view count) {
    return "Dry run: " + std::string(count) + " commands not sent.";
}

// Many routers at once: the progress line's verbs, the backup index's statuses besides a failure
// message, and the run's last line ("24 routers: 23 ok, 1 failed").
inline constexpr std::string_view kProgressBackup = "backup";
inline constexpr std::string_view kProgressApply = "apply";
inline constexpr std::string_view kProgressDryRun = "dry run";
inline std::string ProgressText(std::string_view verb, std::size_t done, std::size_t total,
                                std::size_t failed) {
    return std::string(verb) + " " + std::to_string(done) + "/" + std::to_string(total) + " \u00b7 " +
           std::to_string(failed) + " failed";
}
inline constexpr std::string_view kIndexOk = "ok";
inline constexpr std::string_view kIndexUnsupportedModel = "unsupported model";
inline constexpr std::string_view kIndexFailed = "failed";
// When the open-file limit cannot hold every router of a run at once.
inline std::string FewerJobsText(std::size_t wanted, std::size_t allowed, std::size_t fileLimit) {
    return "warning: the open-file limit (" + std::to_string(fileLimit) + ", see ulimit -Hn) holds " +
           std::to_string(allowed) + " of " + std::to_string(wanted) +
           " routers at once; the others wait their turn. Raise the hard limit to serve them all together.";
}
inline std::string FleetSummaryText(std::size_t ok, std::size_t unsupported, std::size_t failed) {
    const std::size_t routers = ok + unsupported + failed;
    std::string text =
        std::to_string(routers) + (routers == 1 ? " router: " : " routers: ") + std::to_string(ok) + " ok, ";
    if (unsupported > 0) text += std::to_string(unsupported) + " unsupported model, ";
    return text + std::to_string(failed) + " failed";
}
// The commit of a backup run into a git work tree ("backup: 24 routers, 23 ok, 1 failed").
inline std::string BackupCommitMessage(std::size_t ok, std::size_t unsupported, std::size_t failed) {
    const std::size_t routers = ok + unsupported + failed;
    std::string text = "backup: " + std::to_string(routers) + (routers == 1 ? " router, " : " routers, ") +
                       std::to_string(ok) + " ok, ";
    if (unsupported > 0) text += std::to_string(unsupported) + " unsupported model, ";
    return text + std::to_string(failed) + " failed";
}
inline std::string BackupNotCommittedText(std::string_view folder, std::string_view reason) {
    return "the backup files stay in " + std::string(folder) +
           " but could not be committed: " + std::string(reason);
}
// An apply from a backup folder to a router of which the folder holds no file.
inline std::string NoBackupFileText(std::string_view path) {
    return "There is no backup file " + std::string(path) + " of this router; nothing was applied.";
}
// A side of diff that cannot be read, and why.
inline std::string DiffSideUnreadableText(std::string_view side, std::string_view reason) {
    return "cannot read " + std::string(side) + ": " + std::string(reason);
}
inline constexpr std::string_view kSectionUnreadableReason = "a settings section cannot be read";
// The history on the command line.
inline constexpr std::string_view kWantedRecord = "before-last-apply or a record's id (7 to 40 hexadecimal digits)";
inline std::string RecordsNotWrittenText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " record" : " records") +
           " of the routers' settings could not be written to the history (the files written stay)";
}
inline std::string HistoryUnusableText(std::string_view problem) {
    return std::string(problem) + " (--no-history runs without a history)";
}
inline std::string NoApplyRecordedText(std::string_view router) {
    return "the history holds no completed apply of " + std::string(router);
}
inline std::string NoBeforeApplyRecordText(std::string_view router) {
    return "the newest completed apply of " + std::string(router) +
           " has no \"before apply\" record: nothing to go back to";
}
inline std::string NoSuchRecordText(std::string_view record, std::string_view router) {
    return "the history holds no single record " + std::string(record) + " of " + std::string(router);
}
inline std::string FieldsDifferText(std::size_t count) {
    if (count == 0) return "no field differs from the record before";
    return std::to_string(count) + (count == 1 ? " field differs" : " fields differ") + " from the record before";
}
inline std::string NoRecordsText(std::string_view router, bool keyedByAddress) {
    std::string text = "the history holds no record of " + std::string(router);
    // Records go under the MAC address whenever the router told it: an address that did not answer
    // the discovery request finds only what was kept under the address itself.
    if (keyedByAddress) text += " (it did not answer the discovery request; --router MAC lists records kept by MAC)";
    return text;
}
inline constexpr std::string_view kFirstRecord = "first record";
inline constexpr std::string_view kRecordUnreadable = "not compared: a record cannot be read";
inline constexpr std::string_view kNothingBackedUp =
    "no router answered the discovery request; nothing was backed up";
inline std::string CannotCreateFolderText(std::string_view folder) {
    return "cannot create the folder " + std::string(folder);
}
inline std::string CannotWriteIntoFolderText(std::string_view folder, std::string_view reason) {
    return "cannot write into the folder " + std::string(folder) + ": " + std::string(reason);
}
inline std::string CannotWriteFileText(std::string_view path, std::string_view reason) {
    return "cannot write " + std::string(path) + ": " + std::string(reason);
}

// The window program's start-up, before any window exists.
inline std::string RunningCopySilentText(std::string_view notOpenedFile) {
    return "another copy is running but did not answer" +
           (notOpenedFile.empty() ? std::string() : "; not opened: " + std::string(notOpenedFile));
}
inline std::string NoSingleInstanceLockText(std::string_view lockPath) {
    return "cannot create the single-instance lock " + std::string(lockPath) + "; starting without it";
}

// What a file or transcript problem is, for the detail a message or a terminal line adds.
inline constexpr std::string_view kNoSettingsSectionReason = "it holds no settings section";
inline std::string TranscriptUnwritableText(std::string_view path, std::string_view reason) {
    return "cannot write the transcript " + std::string(path) + ": " + std::string(reason) + "; going on without it";
}

// The window's own texts: the tray menu, the About box (its text takes the program's version for
// "%s"), the settings files' filter, the dial plan's first column, the title of the dial-plan entry
// dialog's group (the entry's index follows it) and the banner's subtitle.
inline constexpr MessageText kMsgIndexGroup{"Index_Group", "Index No. "};
inline constexpr MessageText kMsgTrayAbout{"Tray_About", "&About"};
inline constexpr MessageText kMsgTrayOpen{"Tray_Open", "&Open"};
inline constexpr MessageText kMsgTrayExit{"Tray_Exit", "E&xit"};
inline constexpr MessageText kMsgAboutItem{"About_Item", "&About Dezadav..."};
inline constexpr MessageText kMsgAboutTitle{"About_Title", "About Dezadav"};
inline constexpr MessageText kMsgAboutText{"About_Text", "Dezadav Version %s"};
inline constexpr MessageText kMsgAboutTranscript{"About_Transcript", "Transcript: "};
inline constexpr MessageText kMsgFileFilter{"File_Filter", "CSV file (*.csv)"};
// Load also takes a settings document (dezadav-cli fetch --format json).
inline constexpr MessageText kMsgDocumentFilter{"File_FilterJson", "JSON settings document (*.json)"};
inline constexpr MessageText kMsgDialPlanIndex{"DialPlan_Index", "No."};
inline constexpr MessageText kMsgBannerSubtitle{"Banner_Subtitle", "VoIP settings for your office router"};

// Texts of the window that no language file carries: they read the same in every language.
inline constexpr std::string_view kProgressStartText = "Loading ...";
inline constexpr std::string_view kUseRegistrarCaption = "Use Rigistrar";

}  // namespace dezadav
