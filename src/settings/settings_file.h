#pragma once

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/call_log_table.h"
#include "settings/codec_settings.h"
#include "settings/dial_plan_table.h"
#include "settings/sip_settings.h"

namespace dezadav {

// The settings file: UTF-8 bytes without a byte-order mark, lines ending in CR LF, fields separated
// by "," and never quoted. A Save All file holds, in this order: the 60 dial-plan rows, CR LF
// ";LIST" CR LF, the SIP row, CR LF ";SIP" CR LF, the codec row (texts of the selected entries),
// CR LF ";END" CR LF, then the call-log section: CR LF ";VoIP LOG" CR LF, CR LF and the column
// comment line, a line of ";" and 89 "=", and one log row per record. Each page's Save As writes
// only its own section (the dial plan, SIP and codec sections with their closing marker).

inline constexpr std::string_view kDialPlanMarker = ";LIST";
inline constexpr std::string_view kSipMarker = ";SIP";
inline constexpr std::string_view kCodecMarker = ";END";
inline constexpr std::string_view kCallLogMarker = ";VoIP LOG";
inline constexpr std::string_view kCallLogColumnComment =
    "; Index,  Date(mm-dd-yyyy),  Time(hh:mm:ss),  Duration(sec),  In/Out,  IP/Domain/Port";

// The models a whole settings file covers.
struct SettingsModels {
    DialPlanTable& dialPlan;
    SipSettings& sip;
    CodecSettings& codec;
    CallLogTable& callLog;
};

// --- writing ---------------------------------------------------------------------------------------
// The dial-plan page's file: AllRowsText, then CR LF ";LIST" CR LF.
std::string DialPlanFileText(const DialPlanTable& dialPlan);
// The SIP page's file: SipRowText, then CR LF ";SIP" CR LF.
std::string SipFileText(const SipSettings& sip);
// The codec page's file: the codec row in text form (remembering the payload text the payload check
// falls back to), then CR LF ";END" CR LF.
std::string CodecFileText(CodecSettings& codec);
// The VoIP log page's file: the log section's three header lines and the rows of the records held.
std::string CallLogFileText(const CallLogTable& callLog);
// Save All: the four sections above in the order dial plan, SIP, codec, call log.
std::string SaveAllText(SettingsModels models);

// --- reading ---------------------------------------------------------------------------------------
// The SIP reader: every line of [start, end) (end exclusive, clamped) whose field 0 is not an
// empty field ended by a CR hands its fields, numbered from 0, to the SIP settings. Returns false,
// changing nothing, when end < 1.
bool LoadSipSection(SipSettings& sip, std::string_view text, std::size_t start, std::size_t end);
// The codec reader, the same way over the codec settings.
bool LoadCodecSection(CodecSettings& codec, std::string_view text, std::size_t start, std::size_t end);

// What a load did with one section of the file.
enum class SectionLoad {
    Absent,  // the file has no such section
    Loaded,
    Failed,  // its reader refused it (Message_FileFail was shown)
};

// What a load did with each section.
struct SettingsLoadResult {
    // The text holds none of the section markers: it is no settings file, Message_FileFail was
    // shown and no model was touched.
    bool notSettingsText = false;
    SectionLoad dialPlan = SectionLoad::Absent;
    SectionLoad sip = SectionLoad::Absent;
    SectionLoad codec = SectionLoad::Absent;
    SectionLoad callLog = SectionLoad::Absent;
    bool AnyFailed() const {
        return notSettingsText || dialPlan == SectionLoad::Failed || sip == SectionLoad::Failed || codec == SectionLoad::Failed ||
               callLog == SectionLoad::Failed;
    }
};

// Where each section of a settings text lies: [start, end) as its reader reads it, and the marker line
// that placed it.
struct SectionRange {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t marker = 0;
};
struct SettingsSections {
    std::optional<SectionRange> dialPlan;
    std::optional<SectionRange> sip;
    std::optional<SectionRange> codec;
    std::optional<SectionRange> callLog;
};
// The sections of `text` (lines ending in CR LF) as Load finds them, below. A marker counts only as a
// line of its own (followed at most by commas a spreadsheet pads rows with), never inside a value.
SettingsSections FindSettingsSections(std::string_view text);

// Load: finds the sections by their markers and hands each to its reader:
// 1. the last ";LIST": the dial plan reads [0, p); reading goes on after its line (else at 0);
// 2. the last ";SIP" from there: the SIP reader reads [s, q); s := after its line (else s := 0);
// 3. the last ";VoIP LOG" from s: the call log reads [s, end of file);
// 4. the last ";END" from s: the codec reader reads [s, e); without one but with ";VoI" at v, it
//    reads [s, v).
// Sections must stand in the order dial plan, SIP, codec, call log; any subset may be present. A
// text without any marker (an empty file, a picture, a file cut off inside the dial plan) is no
// settings file: Message_FileFail is shown and nothing is read. Lines may end in CR LF, LF or CR alone,
// and the last one may have no end: the text is read as if every line ended in CR LF. Every reader
// that fails (its section ends at the very start of the file) shows Message_FileFail with caption
// Message_Error through `port`, once; the other sections are still read. Dial-plan entries touched
// get their changed flags.
SettingsLoadResult LoadSettingsText(std::string_view text, SettingsModels models, const LanguageTable& lang,
                                    MessagePort& port);

// True when `text` holds at least one of the markers the loader looks for.
bool HoldsSettingsSection(std::string_view text);
// `text` with every line ended by CR LF: a LF without a CR before it gets one, a CR without a LF after
// it gets one, and a last line without any end gets CR LF. Text whose lines all end in CR LF comes back unchanged.
std::string WithCrLfLineEnds(std::string_view text);

// --- files -----------------------------------------------------------------------------------------
// A settings file is far smaller: anything larger is no settings file, and is not read on.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;
inline constexpr std::string_view kTooLargeReason = "it is larger than 1 MiB";
inline constexpr std::string_view kNotRegularFileReason = "it is neither a regular file nor a pipe";
// The whole content of `path` (a regular file or a FIFO, at most kMaxSettingsFileBytes); nothing when
// it cannot be read, with the reason in `reason` when one is given.
std::optional<std::string> ReadSettingsFile(const std::filesystem::path& path, std::string* reason = nullptr);
// The same from an open stream (standard input).
std::optional<std::string> ReadSettingsStream(std::istream& in, std::string* reason = nullptr);
// ReadSettingsFile then LoadSettingsText. False (and nothing shown, nothing changed) when the file
// cannot be read.
bool LoadSettingsFile(const std::filesystem::path& path, SettingsModels models, const LanguageTable& lang,
                      MessagePort& port);

}  // namespace dezadav
