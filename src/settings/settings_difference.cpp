#include "settings/settings_difference.h"

#include "lang/messages.h"

namespace dezadav {

namespace {

constexpr std::string_view kSeparator = kFieldPathSeparator;
constexpr std::string_view kArrow = " \xE2\x86\x92 ";  // " → "
constexpr std::string_view kHiddenPassword = "********";

}  // namespace

std::string PageLabel(const LanguageTable& language, std::string_view key) {
    std::string text = language.LookupText(key);
    if (text.empty() || text == kMissingText) text = std::string(key);
    std::erase(text, '&');
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
    // A full-width colon (U+FF1A, EF BC 9A) ends labels of the Chinese pages.
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "\xEF\xBC\x9A") == 0) text.resize(text.size() - 3);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

namespace {

std::string Label(const LanguageTable& language, std::string_view key) {
    return PageLabel(language, key);
}

class Comparison {
public:
    Comparison(const CompareOptions& options, const LanguageTable& language)
        : m_options(options), m_language(language), m_empty(TextOrDefault(language, kMsgValueEmpty)) {}

    void Add(const std::string& area, const std::string& field, const std::string& before,
             const std::string& after) {
        if (before == after && !m_options.everyField) return;
        m_differences.push_back({area, field, Shown(before), Shown(after)});
    }
    void AddSecret(const std::string& area, const std::string& field, const std::string& before,
                   const std::string& after) {
        if (before == after && !m_options.everyField) return;
        if (m_options.showSecrets) return Add(area, field, before, after);
        m_differences.push_back({area, field, Hidden(before), Hidden(after)});
    }
    void AddDeleted(const std::string& area, const std::string& field, const std::string& before) {
        m_differences.push_back({area, field, Shown(before), TextOrDefault(m_language, kMsgEntryDeleted)});
    }

    std::vector<FieldDifference> Take() { return std::move(m_differences); }

private:
    std::string Shown(const std::string& value) const { return value.empty() ? m_empty : value; }
    std::string Hidden(const std::string& value) const {
        return value.empty() ? m_empty : std::string(kHiddenPassword);
    }

    const CompareOptions& m_options;
    const LanguageTable& m_language;
    const std::string m_empty;
    std::vector<FieldDifference> m_differences;
};

void CompareDialPlan(const DialPlanTable& before, const DialPlanTable& after, const CompareOptions& options,
                     const LanguageTable& language, Comparison& comparison) {
    const std::string title = Label(language, "DialPlan_Title");
    const std::string phone = Label(language, "DialPlan_Phone");
    for (int position = 0; position < kDialPlanEntryCount; ++position) {
        const DialPlanEntry& a = before.Entry(position);
        const DialPlanEntry& b = after.Entry(position);
        const std::string area = title + " " + std::to_string(position + 1);
        // An entry not in use holds nothing a router keeps, whatever its other fields say.
        const bool aUsed = !a.phoneNumber.empty();
        const bool bUsed = !b.phoneNumber.empty();
        if (!aUsed && !bUsed) continue;
        if (aUsed && !bUsed) {
            comparison.AddDeleted(area, phone, a.phoneNumber);
            continue;
        }
        const DialPlanEntry none;
        const DialPlanEntry& from = aUsed ? a : none;
        comparison.Add(area, phone, from.phoneNumber, b.phoneNumber);
        if (options.dialPlanNames) comparison.Add(area, Label(language, "DialPlan_Name"), from.name, b.name);
        comparison.Add(area, Label(language, "DialPlan_SIP"), from.sipAddress, b.sipAddress);
        if (!options.twoPort) {
            comparison.Add(area, Label(language, "DialPlan_Loop"), from.loopThrough, b.loopThrough);
            comparison.Add(area, Label(language, "DialPlan_Backup"), from.backupNumber, b.backupNumber);
        }
        // An entry new in `after` is enabled or not; "-" on the empty side says nothing.
        comparison.Add(area, Label(language, "DialPlan_Status"), aUsed ? from.statusMark : std::string(),
                       b.statusMark);
    }
}

std::string CheckBoxText(bool on) { return on ? "[x]" : "[ ]"; }

void CompareSip(const SipSettings& before, const SipSettings& after, const CompareOptions& options,
                const LanguageTable& language, Comparison& comparison) {
    const std::string sip = Label(language, "SIP_Group");
    comparison.Add(sip, Label(language, "SIP_Port"), before.SipPort(), after.SipPort());
    comparison.Add(sip, Label(language, "SIP_Registrar"), before.Registrar(), after.Registrar());

    const std::string port1 = sip + std::string(kSeparator) + Label(language, "SIP_PortStr1");
    if (options.twoPort) {
        comparison.Add(port1, Label(language, "SIP_Via1"), before.Port1RegisterVia().SelectedText(),
                       after.Port1RegisterVia().SelectedText());
    } else {
        comparison.Add(port1, std::string(kUseRegistrarCaption), CheckBoxText(before.UseRegistrar()),
                       CheckBoxText(after.UseRegistrar()));
    }
    comparison.Add(port1, Label(language, after.Port1UserNameLabelKey()), before.Port1UserName(),
                   after.Port1UserName());
    comparison.AddSecret(port1, Label(language, "SIP_Password1"), before.Port1Password(), after.Port1Password());
    comparison.Add(port1, Label(language, "SIP_Expiry1"), before.Port1Expiry().SelectedText(),
                   after.Port1Expiry().SelectedText());
    if (!options.twoPort) return;

    const std::string port2 = sip + std::string(kSeparator) + Label(language, "SIP_PortStr2");
    comparison.Add(port2, Label(language, "SIP_Via2"), before.Port2RegisterVia().SelectedText(),
                   after.Port2RegisterVia().SelectedText());
    comparison.Add(port2, Label(language, SipSettings::Port2UserNameLabelKey()), before.Port2UserName(),
                   after.Port2UserName());
    comparison.AddSecret(port2, Label(language, "SIP_Password2"), before.Port2Password(), after.Port2Password());
    comparison.Add(port2, Label(language, "SIP_Expiry2"), before.Port2Expiry().SelectedText(),
                   after.Port2Expiry().SelectedText());
}

std::string DtmfModeText(int mode, const LanguageTable& language) {
    if (mode < 0 || mode >= static_cast<int>(kDtmfModeKeys.size())) return {};
    return Label(language, kDtmfModeKeys[static_cast<std::size_t>(mode)]);
}

void CompareCodec(const CodecSettings& before, const CodecSettings& after, const LanguageTable& language,
                  Comparison& comparison) {
    const std::string codecs = Label(language, "Codec_Group");
    comparison.Add(codecs, Label(language, "Codec_Default"), before.Codec().SelectedText(),
                   after.Codec().SelectedText());
    comparison.Add(codecs, Label(language, "Codec_Packet"), before.PacketSize().SelectedText(),
                   after.PacketSize().SelectedText());
    const std::string dtmf = Label(language, "Codec_DTMFGroup");
    comparison.Add(dtmf, dtmf, DtmfModeText(before.DtmfModeValue(), language),
                   DtmfModeText(after.DtmfModeValue(), language));
    comparison.Add(dtmf, Label(language, "Codec_PayLoad"), before.PayloadType(), after.PayloadType());
    const std::string rtp = Label(language, "Codec_RTPGroup");
    comparison.Add(rtp, Label(language, "Codec_Start"), before.RtpPortStart(), after.RtpPortStart());
    comparison.Add(rtp, Label(language, "Codec_End"), before.RtpPortEnd(), after.RtpPortEnd());
}

}  // namespace

std::vector<FieldDifference> CompareSettings(SettingsView before, SettingsView after, const CompareOptions& options,
                                             const LanguageTable& language) {
    Comparison comparison(options, language);
    CompareDialPlan(before.dialPlan, after.dialPlan, options, language, comparison);
    CompareSip(before.sip, after.sip, options, language, comparison);
    CompareCodec(before.codec, after.codec, language, comparison);
    return comparison.Take();
}

std::string DifferenceLine(const FieldDifference& difference) {
    return difference.area + std::string(kSeparator) + difference.field + ": " + difference.before +
           std::string(kArrow) + difference.after;
}

}  // namespace dezadav
