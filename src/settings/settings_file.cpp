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
// The Load steps skip a marker and the CR LF after it.
constexpr std::size_t kDialPlanMarkerSpan = 7;
constexpr std::size_t kSipMarkerSpan = 6;
constexpr std::string_view kCallLogMarkerStart = ";VoI";

std::string ClosingMarker(std::string_view marker) {
    std::string text(kLineEnd);
    text += marker;
    text += kLineEnd;
    return text;
}

// The last occurrence of `marker` that begins at or after `from`.
std::optional<std::size_t> LastMarkerFrom(std::string_view text, std::string_view marker, std::size_t from) {
    const std::size_t at = text.rfind(marker);
    if (at == std::string_view::npos || at < from) return std::nullopt;
    return at;
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

std::string DialPlanFileText(const DialPlanTable& dialPlan, const LanguageTable* words) {
    return dialPlan.AllRowsText(words) + ClosingMarker(kDialPlanMarker);
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

std::string SaveAllText(SettingsModels models, const LanguageTable* words) {
    return DialPlanFileText(models.dialPlan, words) + SipFileText(models.sip) + CodecFileText(models.codec) +
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
    for (const std::string_view marker : {kDialPlanMarker, kSipMarker, kCodecMarker, kCallLogMarkerStart}) {
        if (text.find(marker) != std::string_view::npos) return true;
    }
    return false;
}

std::string WithCrLfLineEnds(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
        lines += text[i];
    }
    if (!lines.empty() && lines.back() != '\n') lines += kLineEnd;
    return lines;
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

    std::size_t s = 0;
    if (const auto p = LastMarkerFrom(text, kDialPlanMarker, 0)) {
        report(result.dialPlan, models.dialPlan.FillFromFileSection(text, 0, *p));
        s = *p + kDialPlanMarkerSpan;
    }

    if (const auto q = LastMarkerFrom(text, kSipMarker, s)) {
        report(result.sip, LoadSipSection(models.sip, text, s, *q));
        s = *q + kSipMarkerSpan;
    } else {
        s = 0;
    }

    const auto v = LastMarkerFrom(text, kCallLogMarkerStart, s);
    if (v) {
        report(result.callLog, models.callLog.LoadCallLogSection(text, s, text.size()));
    } else {
        s = 0;
    }

    if (const auto e = LastMarkerFrom(text, kCodecMarker, s)) {
        report(result.codec, LoadCodecSection(models.codec, text, s, *e));
    } else if (v) {
        report(result.codec, LoadCodecSection(models.codec, text, s, *v));
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
    if (std::filesystem::is_directory(path, error)) return fail(std::strerror(EISDIR));
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(std::strerror(errno != 0 ? errno : ENOENT));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return fail(std::strerror(errno != 0 ? errno : EIO));
    return bytes;
}

}  // namespace dezadav
