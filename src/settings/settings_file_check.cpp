#include "settings/settings_file_check.h"

#include <array>
#include <span>
#include <set>

#include "lang/messages.h"
#include "settings/settings_difference.h"
#include "settings/settings_file.h"
#include "settings/settings_file_fields.h"
#include "settings/sip_codec_fields.h"
#include "settings/sip_codec_row_text.h"

namespace dezadav {
namespace {

constexpr std::size_t kDialPlanRowFields = 7;
constexpr int kLanguageCount = 3;
constexpr std::string_view kEnDash = "\xE2\x80\x93";  // "–"
constexpr std::array<std::string_view, 3> kLoopKeys = {"Index_Loop1", "Index_Loop2", "Index_Loop3"};
constexpr std::array<std::string_view, 3> kLoopEnglish = {"ISDN", "PSTN", "None"};
constexpr std::string_view kHiddenPasswordText = "********";

// `text` with each "%s" replaced by the next of `args`.
std::string Filled(std::string text, std::initializer_list<std::string> args) {
    std::size_t at = 0;
    for (const std::string& arg : args) {
        at = text.find("%s", at);
        if (at == std::string::npos) break;
        text.replace(at, 2, arg);
        at += arg.size();
    }
    return text;
}

bool IsDigits(std::string_view value) {
    return !value.empty() && value.size() <= 9 && value.find_first_not_of("0123456789") == std::string_view::npos;
}

int DigitsValue(std::string_view value) {
    int n = 0;
    for (const char c : value) n = n * 10 + (c - '0');
    return n;
}

// What a value typed into the router's command line may not hold: the command is cut into words at
// spaces, a quote would open a quoted word, a control byte could end the command.
bool Sendable(std::string_view value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '"') return false;
    }
    return true;
}

class Checker {
public:
    Checker(bool twoPort, const SettingsFileWords& words) : m_twoPort(twoPort), m_words(words) {}

    bool Failed() const { return m_problem.has_value(); }
    std::optional<SettingsFileProblem> TakeProblem() { return std::move(m_problem); }

    // --- the sections ------------------------------------------------------------------------------
    std::string DialPlan(std::string_view text, const SectionRange& range) {
        std::set<int> seen;
        std::string rows;
        const std::string title = Label("DialPlan_Title");
        for (SettingsFileLine& line : SplitSettingsFileLines(text, range.start, range.end)) {
            if (IsEmptyLine(line) || Failed()) continue;
            m_line = line.number;
            std::vector<std::string>& fields = line.fields;
            DropPadding(fields, kDialPlanRowFields);
            if (fields.size() > kDialPlanRowFields) {
                // A name with commas in it, unquoted: the name takes them back.
                const std::size_t extra = fields.size() - kDialPlanRowFields;
                for (std::size_t k = 0; k < extra; ++k) fields[2] += "," + fields[3 + k];
                fields.erase(fields.begin() + 3, fields.begin() + 3 + static_cast<std::ptrdiff_t>(extra));
            }
            if (fields.size() < kDialPlanRowFields) {
                FieldCount(title, fields, kDialPlanRowFields);
                continue;
            }
            m_column = 0;
            const std::string& indexText = fields[0];
            if (!IsDigits(indexText) || DigitsValue(indexText) < 1 || DigitsValue(indexText) > kDialPlanEntryCount) {
                Refuse(title, Label("Index_Group"), indexText, NotOneOf("1" + std::string(kEnDash) + "60"));
                continue;
            }
            const int index = DigitsValue(indexText);
            const std::string area = title + " " + std::to_string(index);
            if (!seen.insert(index).second) {
                Refuse(area, Label("Index_Group"), indexText, Message(kMsgFileRepeated));
                continue;
            }
            DialPlanEntry entry;
            entry.index = std::to_string(index);
            entry.phoneNumber = Sent(area, "DialPlan_Phone", fields[m_column = 1]);
            entry.name = fields[2];
            entry.sipAddress = Sent(area, "DialPlan_SIP", fields[m_column = 3]);
            entry.loopThrough = LoopWord(area, fields[m_column = 4]);
            entry.backupNumber = Sent(area, "DialPlan_Backup", fields[m_column = 5]);
            entry.statusMark = StatusMark(area, fields[m_column = 6]);
            rows += entry.RowText();
        }
        return rows;
    }

    std::string Sip(std::string_view text, const SectionRange& range) {
        std::vector<std::string> fields;
        if (!OneRow(text, range, Label("SIP_Group"), kSipRowFieldCount, fields)) return {};
        const std::string sip = Label("SIP_Group");
        const std::string port1 = sip + std::string(kFieldPathSeparator) + Label("SIP_PortStr1");
        const std::string port2 = sip + std::string(kFieldPathSeparator) + Label("SIP_PortStr2");
        const int expiries = m_twoPort ? kTwoPortExpiryCount : kFullExpiryCount;
        const auto at = [&](SipField field) -> std::string& {
            m_column = FieldPosition(field);
            return fields[m_column];
        };

        PortNumber(sip, Label("SIP_Port"), at(SipField::SipPort));
        Sent(sip, "SIP_Registrar", at(SipField::Registrar));
        if (m_twoPort) {
            Position(port1, Label("SIP_Via1"), at(SipField::Port1Registration), kRegisterViaLanVpn + 1, true);
        } else {
            Position(port1, std::string(kUseRegistrarCaption), at(SipField::Port1Registration), 2, false);
        }
        Sent(port1, m_twoPort ? "SIP_UserName1" : "SIP_5870Name", at(SipField::Port1UserName));
        Sent(port1, "SIP_Password1", at(SipField::Port1Password));
        Position(port1, Label("SIP_Expiry1"), at(SipField::Port1Expiry), expiries, true);
        Position(port2, Label("SIP_Via2"), at(SipField::Port2RegisterVia), m_twoPort ? kRegisterViaLanVpn + 1 : 1,
                 m_twoPort);
        Sent(port2, "SIP_UserName2", at(SipField::Port2UserName));
        Sent(port2, "SIP_Password2", at(SipField::Port2Password));
        Position(port2, Label("SIP_Expiry2"), at(SipField::Port2Expiry), expiries, true);
        return JoinRowFields(fields);
    }

    std::string Codec(std::string_view text, const SectionRange& range) {
        std::vector<std::string> fields;
        const std::string codecs = Label("Codec_Group");
        if (!OneRow(text, range, codecs, kCodecRowFieldCount, fields)) return {};
        const auto at = [&](CodecField field) -> std::string& {
            m_column = FieldPosition(field);
            return fields[m_column];
        };
        const std::size_t codecCount = m_twoPort ? kCodecChoiceKeys.size() : kOnePortCodecCount;
        ListWord(codecs, Label("Codec_Default"), at(CodecField::Codec),
                 std::span(kCodecChoiceKeys.data(), codecCount));
        ListWord(codecs, Label("Codec_Packet"), at(CodecField::PacketSize), std::span(kPacketSizeKeys));
        const std::string dtmf = Label("Codec_DTMFGroup");
        std::string& mode = at(CodecField::DtmfMode);
        if (mode != "0" && mode != "1" && mode != "2") Refuse(dtmf, dtmf, mode, NotOneOf("0, 1, 2"));
        std::string& payload = at(CodecField::PayloadType);
        if (!payload.empty() && (!IsDigits(payload) || DigitsValue(payload) < 96 || DigitsValue(payload) > 127)) {
            Refuse(dtmf, Label("Codec_PayLoad"), payload, NotNumber("96", "127"));
        }
        const std::string rtp = Label("Codec_RTPGroup");
        const std::string& start = at(CodecField::RtpPortStart);
        PortNumber(rtp, Label("Codec_Start"), start);
        const std::string& end = at(CodecField::RtpPortEnd);
        PortNumber(rtp, Label("Codec_End"), end);
        if (!Failed() && !start.empty() && !end.empty() && DigitsValue(start) > DigitsValue(end)) {
            m_column = FieldPosition(CodecField::RtpPortStart);
            Refuse(rtp, Label("Codec_Start"), start, Filled(Message(kMsgFileRtpOrder), {end}));
        }
        return JoinRowFields(fields);
    }

private:
    std::string Label(std::string_view key) const { return PageLabel(m_words.shown, key); }
    std::string Message(const MessageText& message) const { return TextOrDefault(m_words.shown, message); }
    std::string NotOneOf(const std::string& choices) const { return Filled(Message(kMsgFileNotOneOf), {choices}); }
    std::string NotNumber(const std::string& min, const std::string& max) const {
        return Filled(Message(kMsgFileNotNumber), {min, max});
    }

    void Refuse(const std::string& area, const std::string& field, const std::string& value, std::string reason) {
        if (Failed()) return;
        m_problem = SettingsFileProblem{m_line, m_column, area + std::string(kFieldPathSeparator) + field, value,
                                        std::move(reason)};
    }

    static bool IsEmptyLine(const SettingsFileLine& line) {
        if (line.fields.empty()) return true;
        if (line.fields[0].empty() && line.firstFieldEndsAtCr) return true;
        for (const std::string& field : line.fields) {
            if (!field.empty()) return false;
        }
        return true;
    }

    // Empty fields past the row's own, as a spreadsheet pads rows, are no fields.
    static void DropPadding(std::vector<std::string>& fields, std::size_t count) {
        while (fields.size() > count && fields.back().empty()) fields.pop_back();
    }

    void FieldCount(const std::string& area, const std::vector<std::string>& fields, std::size_t count) {
        if (Failed()) return;
        std::string row;
        for (std::size_t k = 0; k < fields.size(); ++k) row += (k ? "," : "") + fields[k];
        m_problem = SettingsFileProblem{m_line, 0, area, row,
                                        Filled(Message(kMsgFileFieldCount),
                                               {std::to_string(fields.size()), std::to_string(count)})};
    }

    // The one row of a SIP or codec section, its padding dropped; false (with the problem set) when the
    // section holds another row or the row other fields.
    bool OneRow(std::string_view text, const SectionRange& range, const std::string& area, std::size_t count,
                std::vector<std::string>& fields) {
        bool found = false;
        for (SettingsFileLine& line : SplitSettingsFileLines(text, range.start, range.end)) {
            if (IsEmptyLine(line) || Failed()) continue;
            m_line = line.number;
            if (found) {
                FieldCount(area, line.fields, 0);
                m_problem->reason = Message(kMsgFileSecondRow);
                return false;
            }
            found = true;
            fields = std::move(line.fields);
            DropPadding(fields, count);
            if (fields.size() > count) {
                Refuse(area, "#" + std::to_string(count + 1), fields[count], Message(kMsgFileExtraField));
                return false;
            }
            if (fields.size() < count) {
                FieldCount(area, fields, count);
                return false;
            }
        }
        if (!found) {
            // A section without its row (a marker alone) reads nothing.
            return false;
        }
        return !Failed();
    }

    const std::string& Sent(const std::string& area, std::string_view labelKey, const std::string& value) {
        // A password is never shown, not even the one refused.
        const bool secret = labelKey.find("Password") != std::string_view::npos;
        if (!Sendable(value)) {
            Refuse(area, Label(labelKey), secret ? std::string(kHiddenPasswordText) : value, Message(kMsgFileUnsendable));
        }
        return value;
    }

    void PortNumber(const std::string& area, const std::string& field, const std::string& value) {
        if (value.empty()) return;
        if (!IsDigits(value) || DigitsValue(value) < 1 || DigitsValue(value) > 65535) {
            Refuse(area, field, value, NotNumber("1", "65535"));
        }
    }

    // A list position 0..count-1, or -1 (no selection) where the program writes it.
    void Position(const std::string& area, const std::string& field, std::string& value, int count,
                  bool noSelection) {
        if (noSelection && value == "-1") return;
        if (IsDigits(value) && DigitsValue(value) < count) {
            value = std::to_string(DigitsValue(value));
            return;
        }
        Refuse(area, field, value, NotOneOf(count == 1 ? "0" : "0" + std::string(kEnDash) + std::to_string(count - 1)));
    }

    // A list entry's text in any language, written back in the shown language's words; empty for no
    // selection.
    void ListWord(const std::string& area, const std::string& field, std::string& value,
                  std::span<const std::string_view> keys) {
        if (value.empty()) return;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (Matches(keys[k], value)) {
                value = m_words.shown.LookupText(keys[k]);
                return;
            }
        }
        std::string choices;
        for (const std::string_view key : keys) choices += (choices.empty() ? "" : ", ") + m_words.shown.LookupText(key);
        Refuse(area, field, value, NotOneOf(choices));
    }
    bool Matches(std::string_view key, std::string_view value) const {
        if (m_words.shown.LookupText(key) == value) return true;
        for (const LanguageTable& language : m_words.languages) {
            const std::string word = language.LookupText(key);
            if (!word.empty() && word != kMissingText && word == value) return true;
        }
        return false;
    }

    std::string LoopWord(const std::string& area, const std::string& value) {
        if (value.empty()) return value;
        for (std::size_t k = 0; k < kLoopKeys.size(); ++k) {
            if (value == kLoopEnglish[k] || Matches(kLoopKeys[k], value)) return m_words.shown.LookupText(kLoopKeys[k]);
        }
        std::string choices;
        for (const std::string_view key : kLoopKeys) choices += (choices.empty() ? "" : ", ") + m_words.shown.LookupText(key);
        Refuse(area, Label("DialPlan_Loop"), value, NotOneOf(choices));
        return value;
    }

    std::string StatusMark(const std::string& area, const std::string& value) {
        // An empty mark is a disabled entry too (an entry typed in by hand may have none).
        if (value == kDialPlanEnabledMark || value == kDialPlanDisabledMark || value.empty()) return value;
        Refuse(area, Label("DialPlan_Status"), value, NotOneOf("V, -"));
        return value;
    }

    bool m_twoPort;
    const SettingsFileWords& m_words;
    std::size_t m_line = 0;
    std::size_t m_column = 0;
    std::optional<SettingsFileProblem> m_problem;
};

}  // namespace

std::string SettingsFileProblem::Message(std::string_view source) const {
    std::string text(source);
    if (line > 0) text += ":" + std::to_string(line);
    text += ": " + field + ": \"" + value + "\" " + reason;
    return text;
}

SettingsFileWords AllSettingsFileWords(const LanguageTable& shown) {
    SettingsFileWords words{{}, shown};
    for (int n = 0; n < kLanguageCount; ++n) words.languages.push_back(shown.InLanguage(n));
    return words;
}

CheckedSettingsText CheckSettingsText(std::string_view fileText, bool twoPort, const SettingsFileWords& words) {
    const std::string lines = WithCrLfLineEnds(fileText);
    const std::string_view text = lines;
    const SettingsSections sections = FindSettingsSections(text);
    Checker checker(twoPort, words);
    CheckedSettingsText checked;
    std::string& out = checked.text;
    const auto closing = [&out](std::string_view marker) {
        out += "\r\n";
        out += marker;
        out += "\r\n";
    };
    if (sections.dialPlan) {
        out += checker.DialPlan(text, *sections.dialPlan);
        closing(kDialPlanMarker);
    }
    if (sections.sip) {
        out += checker.Sip(text, *sections.sip);
        closing(kSipMarker);
    }
    if (sections.codec) {
        out += checker.Codec(text, *sections.codec);
        closing(kCodecMarker);
    }
    if (sections.callLog) out += text.substr(sections.callLog->marker > 2 ? sections.callLog->marker - 2 : 0);
    checked.problem = checker.TakeProblem();
    if (checked.problem) checked.text.clear();
    return checked;
}

std::optional<SettingsFileProblem> UnwritableSettingsValue(const DialPlanTable& dialPlan, const SipSettings& sip,
                                                           const CodecSettings& codec, const LanguageTable& language) {
    const auto problem = [&](const std::string& field, const std::string& value) {
        return SettingsFileProblem{0, 0, field, value, TextOrDefault(language, kMsgFileLineBreak)};
    };
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        const DialPlanEntry& e = dialPlan.Entry(p);
        const std::pair<const std::string*, std::string_view> fields[] = {
            {&e.phoneNumber, "DialPlan_Phone"}, {&e.name, "DialPlan_Name"},     {&e.sipAddress, "DialPlan_SIP"},
            {&e.loopThrough, "DialPlan_Loop"},  {&e.backupNumber, "DialPlan_Backup"}};
        for (const auto& [value, key] : fields) {
            if (HoldsLineBreak(*value)) {
                return problem(PageLabel(language, "DialPlan_Title") + " " + e.index +
                                   std::string(kFieldPathSeparator) + PageLabel(language, key),
                               *value);
            }
        }
    }
    for (const std::string& value : sip.SipFields()) {
        if (HoldsLineBreak(value)) return problem(PageLabel(language, "SIP_Group"), value);
    }
    for (const std::string& value : codec.CodecFields(false)) {
        if (HoldsLineBreak(value)) return problem(PageLabel(language, "Codec_Group"), value);
    }
    return std::nullopt;
}

}  // namespace dezadav
