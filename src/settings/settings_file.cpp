#include "settings/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "lang/messages.h"
#include "settings/settings_file_fields.h"

namespace dezadav {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kSeparatorEquals = 89;

std::string ClosingMarker(std::string_view marker) {
    std::string text(kLineEnd);
    text += marker;
    text += kLineEnd;
    return text;
}

// The start of the last line that is `marker` alone (IsMarkerLine) and begins at or after `from`: a
// marker inside a value is no marker.
std::optional<std::size_t> LastMarkerFrom(std::string_view text, std::string_view marker, std::size_t from) {
    std::optional<std::size_t> last;
    for (std::size_t at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + 1)) {
        if (at != 0 && text[at - 1] != '\n' && text[at - 1] != '\r') continue;
        const std::size_t lineEnd = text.find_first_of("\r\n", at);
        if (IsMarkerLine(text.substr(at, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - at),
                         marker)) {
            last = at;
        }
    }
    if (!last || *last < from) return std::nullopt;
    return last;
}

// Hands every line of the section to `loadField` (field number, text), skipping empty lines.
template <typename LoadField>
bool LoadRowSection(std::string_view text, std::size_t start, std::size_t end, LoadField loadField) {
    if (end < 1) return false;
    for (const SettingsFileLine& line : SplitSettingsFileLines(text, start, end)) {
        if (line.fields.empty()) continue;
        if (line.fields[0].empty() && line.firstFieldEndsAtCr) continue;
        for (std::size_t k = 0; k < line.fields.size(); ++k) loadField(k, line.fields[k]);
    }
    return true;
}

void ReportFileFail(const LanguageTable& lang, MessagePort& port) {
    ShowMessageText(lang, port, kMsgFileFail);
}

}  // namespace

std::string DialPlanFileText(const DialPlanTable& dialPlan) {
    return dialPlan.AllRowsText() + ClosingMarker(kDialPlanMarker);
}

std::string SipFileText(const SipSettings& sip) {
    return sip.SipRowText() + ClosingMarker(kSipMarker);
}

std::string CodecFileText(CodecSettings& codec) {
    codec.RememberPayloadType();
    return codec.CodecRowText(false) + ClosingMarker(kCodecMarker);
}

std::string CallLogFileText(const CallLogTable& callLog) {
    std::string text = ClosingMarker(kCallLogMarker);
    text += kLineEnd;
    text += kCallLogColumnComment;
    text += kLineEnd;
    text += ';';
    text.append(kSeparatorEquals, '=');
    text += kLineEnd;
    text += callLog.RecordRowsText();
    return text;
}

std::string SaveAllText(SettingsModels models) {
    return DialPlanFileText(models.dialPlan) + SipFileText(models.sip) + CodecFileText(models.codec) +
           CallLogFileText(models.callLog);
}

bool LoadSipSection(SipSettings& sip, std::string_view text, std::size_t start, std::size_t end) {
    return LoadRowSection(text, start, end, [&sip](std::size_t k, std::string_view field) {
        if (k < kSipRowFieldCount) sip.LoadSipField(static_cast<SipField>(k), field);
    });
}

bool LoadCodecSection(CodecSettings& codec, std::string_view text, std::size_t start, std::size_t end) {
    return LoadRowSection(text, start, end, [&codec](std::size_t k, std::string_view field) {
        if (k < kCodecRowFieldCount) codec.LoadCodecField(static_cast<CodecField>(k), field);
    });
}

bool HoldsSettingsSection(std::string_view text) {
    for (const std::string_view marker : {kDialPlanMarker, kSipMarker, kCodecMarker, kCallLogMarker}) {
        if (LastMarkerFrom(text, marker, 0)) return true;
    }
    return false;
}

std::string WithCrLfLineEnds(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
        lines += text[i];
        // A CR alone ends a line as well (old Mac editors write lines so).
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) lines += '\n';
    }
    if (!lines.empty() && lines.back() != '\n') lines += kLineEnd;
    return lines;
}

SettingsSections FindSettingsSections(std::string_view text) {
    // Past a marker's line (CR LF or LF, and any commas padding it).
    const auto afterLine = [text](std::size_t at) {
        const std::size_t lineFeed = text.find('\n', at);
        return lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
    };
    SettingsSections sections;
    std::size_t s = 0;
    if (const auto p = LastMarkerFrom(text, kDialPlanMarker, 0)) {
        sections.dialPlan = SectionRange{0, *p, *p};
        s = afterLine(*p);
    }
    if (const auto q = LastMarkerFrom(text, kSipMarker, s)) {
        sections.sip = SectionRange{s, *q, *q};
        s = afterLine(*q);
    } else {
        s = 0;
    }
    // Without a call log the codec section still starts after the SIP section: from the start of the
    // file it would take in the dial-plan and SIP rows as codec rows.
    const auto v = LastMarkerFrom(text, kCallLogMarker, s);
    if (v) sections.callLog = SectionRange{s, text.size(), *v};
    if (const auto e = LastMarkerFrom(text, kCodecMarker, s)) {
        sections.codec = SectionRange{s, *e, *e};
    } else if (v) {
        sections.codec = SectionRange{s, *v, *v};
    }
    return sections;
}

SettingsLoadResult LoadSettingsText(std::string_view fileText, SettingsModels models, const LanguageTable& lang,
                                    MessagePort& port) {
    SettingsLoadResult result;
    if (!HoldsSettingsSection(fileText)) {
        result.notSettingsText = true;
        ReportFileFail(lang, port);
        return result;
    }
    // The markers' spans and the field cutter count on CR LF; a file saved by an editor or a tool
    // that writes LF alone would otherwise lose every last field of a row.
    const std::string lines = WithCrLfLineEnds(fileText);
    const std::string_view text = lines;
    const auto report = [&](SectionLoad& section, bool loaded) {
        section = loaded ? SectionLoad::Loaded : SectionLoad::Failed;
        if (!loaded) ReportFileFail(lang, port);
    };

    const SettingsSections sections = FindSettingsSections(text);
    if (sections.dialPlan) {
        report(result.dialPlan, models.dialPlan.FillFromFileSection(text, sections.dialPlan->start, sections.dialPlan->end));
    }
    if (sections.sip) report(result.sip, LoadSipSection(models.sip, text, sections.sip->start, sections.sip->end));
    if (sections.callLog) {
        report(result.callLog, models.callLog.LoadCallLogSection(text, sections.callLog->start, sections.callLog->end));
    }
    if (sections.codec) {
        report(result.codec, LoadCodecSection(models.codec, text, sections.codec->start, sections.codec->end));
    }
    return result;
}

bool LoadSettingsFile(const std::filesystem::path& path, SettingsModels models, const LanguageTable& lang,
                      MessagePort& port) {
    const std::optional<std::string> bytes = ReadSettingsFile(path);
    if (!bytes) return false;
    LoadSettingsText(*bytes, models, lang, port);
    return true;
}

std::optional<std::string> ReadSettingsFile(const std::filesystem::path& path, std::string* reason) {
    const auto fail = [reason](std::string why) -> std::optional<std::string> {
        if (reason != nullptr) *reason = std::move(why);
        return std::nullopt;
    };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) return fail(std::strerror(EISDIR));
    // A device would be read for ever (/dev/zero) or block (a terminal): only what holds a file's
    // bytes is read.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_fifo(status)) {
        return fail(std::string(kNotRegularFileReason));
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(std::strerror(errno != 0 ? errno : ENOENT));
    return ReadSettingsStream(in, reason);
}

std::optional<std::string> ReadSettingsStream(std::istream& in, std::string* reason) {
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxSettingsFileBytes) {
            if (reason != nullptr) *reason = std::string(kTooLargeReason);
            return std::nullopt;
        }
    }
    if (in.bad()) {
        if (reason != nullptr) *reason = std::strerror(errno != 0 ? errno : EIO);
        return std::nullopt;
    }
    return bytes;
}

}  // namespace dezadav
