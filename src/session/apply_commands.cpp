#include "session/apply_commands.h"

#include <array>
#include <cstdint>

#include "settings/sip_codec_fields.h"
#include "text/decimal_text.h"

namespace dezadav {
namespace {

constexpr std::string_view kDialPlanSet = "voip dial_plan set";
constexpr std::string_view kDialPlanDel = "voip dial_plan del";
constexpr int kFirstIndex = 1;
constexpr int kLastIndex = 60;

// How one field of a SIP or codec row becomes its command.
enum class ValueForm {
    Text,          // the value, or the empty marker when it is empty
    Unchanged,     // the value exactly as it is, even when empty
    Number,        // the value's leading decimal number
    ExpiryNumber,  // the leading decimal number, plus 1 on a two-port model
};

template <typename Field>
struct RowCommand {
    Field field;
    std::string_view words;
    ValueForm form;
    std::string_view fieldName;
    bool secret = false;  // the value is never printed or recorded (see HideSecretValue)
};

// The commands of a row, one per field, in row order (which is also the sending order).
constexpr std::array<RowCommand<SipField>, kSipRowFieldCount> kSipCommands{{
    {SipField::SipPort, "voip sip port", ValueForm::Text, "SIP port"},
    {SipField::Registrar, "voip sip registrar", ValueForm::Text, "SIP registrar"},
    {SipField::Port1Registration, "voip sip endpt1 use_reg", ValueForm::Number, "SIP port 1 registration"},
    {SipField::Port1UserName, "voip sip endpt1 name", ValueForm::Text, "SIP port 1 name"},
    {SipField::Port1Password, "voip sip endpt1 pass", ValueForm::Text, "SIP port 1 password", true},
    {SipField::Port1Expiry, "voip sip endpt1 expire", ValueForm::ExpiryNumber, "SIP port 1 expiry"},
    {SipField::Port2RegisterVia, "voip sip endpt2 use_reg", ValueForm::Number, "SIP port 2 registration"},
    {SipField::Port2UserName, "voip sip endpt2 name", ValueForm::Text, "SIP port 2 name"},
    {SipField::Port2Password, "voip sip endpt2 pass", ValueForm::Text, "SIP port 2 password", true},
    {SipField::Port2Expiry, "voip sip endpt2 expire", ValueForm::ExpiryNumber, "SIP port 2 expiry"},
}};

constexpr std::array<RowCommand<CodecField>, kCodecRowFieldCount> kCodecCommands{{
    {CodecField::Codec, "voip rtp codec type", ValueForm::Unchanged, "codec"},
    {CodecField::PacketSize, "voip rtp codec size", ValueForm::Unchanged, "codec packet size"},
    {CodecField::DtmfMode, "voip rtp dtmf mode", ValueForm::Unchanged, "DTMF mode"},
    {CodecField::PayloadType, "voip rtp dtmf payloadtype", ValueForm::Unchanged, "DTMF payload type"},
    {CodecField::RtpPortStart, "voip rtp port start", ValueForm::Text, "RTP start port"},
    {CodecField::RtpPortEnd, "voip rtp port end", ValueForm::Text, "RTP end port"},
}};

template <typename Field, std::size_t N>
constexpr bool InRowOrder(const std::array<RowCommand<Field>, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        if (FieldPosition(table[i].field) != i) return false;
    }
    return true;
}
static_assert(InRowOrder(kSipCommands) && InRowOrder(kCodecCommands));

std::string TextOrMarker(std::string_view value) {
    return std::string(value.empty() ? kEmptyMarker : value);
}

std::string Join(std::initializer_list<std::string_view> words) {
    std::string text;
    for (const std::string_view word : words) {
        if (!text.empty()) text += ' ';
        text += word;
    }
    return text;
}

std::string EntryFieldName(const DialPlanEntry& entry, std::string_view field) {
    return "dial plan entry " + entry.index + ", " + std::string(field);
}

// The dial-plan command of one changed entry; nothing for an index outside 1..60. Returns false
// (with `refused` naming the field) when a value that would be sent holds a control byte.
bool AddDialPlanCommand(const DialPlanEntry& entry, bool twoPort, const LanguageTable& language,
                        std::vector<ApplyCommand>& commands, std::string& refused) {
    const int32_t index = ReadLeadingDecimal(entry.index);
    if (index < kFirstIndex || index > kLastIndex) return true;
    if (ContainsControlByte(entry.index)) {
        refused = EntryFieldName(entry, "index");
        return false;
    }
    if (entry.phoneNumber.empty()) {
        commands.push_back({Join({kDialPlanDel, entry.index}), kMsgDelDialPlan, ApplyArea::DialPlan});
        return true;
    }

    const std::string_view address = entry.sipAddress;
    const std::size_t at = address.find('@');
    const std::string_view user = at == std::string_view::npos ? std::string_view() : address.substr(0, at);
    const std::string_view domain = at == std::string_view::npos ? address : address.substr(at + 1);
    const std::string status = entry.statusMark == kDialPlanEnabledMark ? "1" : "0";

    const std::pair<std::string_view, std::string_view> sent[] = {
        {entry.phoneNumber, "phone number"},
        {entry.sipAddress, "SIP address"},
        {twoPort ? std::string_view() : std::string_view(entry.backupNumber), "backup number"},
    };
    for (const auto& [value, name] : sent) {
        if (ContainsControlByte(value)) {
            refused = EntryFieldName(entry, name);
            return false;
        }
    }

    // An empty domain would let the status slip into its place, so it is sent as the empty marker
    // like every other empty text value.
    std::string text = Join(
        {kDialPlanSet, entry.index, entry.phoneNumber, TextOrMarker(user), TextOrMarker(domain), status});
    if (!twoPort) {
        // A loop-through text that names none of the three lines means no loop-through.
        const int loop = LoopThroughCode(entry.loopThrough, language).value_or(0);
        text = Join({text, std::to_string(loop), TextOrMarker(entry.backupNumber)});
    }
    commands.push_back({std::move(text), kMsgSetDialPlan, ApplyArea::DialPlan});
    return true;
}

template <typename Field, std::size_t N>
bool AddRowCommands(const std::array<RowCommand<Field>, N>& table, const std::vector<std::string>& row,
                    bool twoPort, const MessageText& failure, ApplyArea area,
                    std::vector<ApplyCommand>& commands, std::string& refused) {
    for (const RowCommand<Field>& command : table) {
        const std::size_t position = FieldPosition(command.field);
        if (position >= row.size()) break;
        const std::string& value = row[position];
        std::string argument;
        switch (command.form) {
            case ValueForm::Text:
                argument = TextOrMarker(value);
                break;
            case ValueForm::Unchanged:
                argument = value;
                break;
            case ValueForm::Number:
                argument = std::to_string(ReadLeadingDecimal(value));
                break;
            case ValueForm::ExpiryNumber:
                argument = std::to_string(int64_t{ReadLeadingDecimal(value)} + (twoPort ? 1 : 0));
                break;
        }
        if (ContainsControlByte(argument)) {
            refused = std::string(command.fieldName);
            return false;
        }
        commands.push_back({Join({command.words, argument}), failure, area});
    }
    return true;
}

}  // namespace

std::string HideSecretValue(std::string_view line) {
    for (const RowCommand<SipField>& command : kSipCommands) {
        if (!command.secret || !line.starts_with(command.words) || line.size() <= command.words.size() ||
            line[command.words.size()] != ' ') {
            continue;
        }
        const std::string_view value = line.substr(command.words.size() + 1);
        // The empty marker tells that the field is cleared, which is no secret.
        if (value == kEmptyMarker || value.empty()) return std::string(line);
        return std::string(line.substr(0, command.words.size() + 1)) + std::string(kHiddenSecret);
    }
    return std::string(line);
}

bool ContainsControlByte(std::string_view value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

ApplyPlan BuildApplyPlan(const ApplyTexts& texts, bool twoPort, const LanguageTable& language) {
    ApplyPlan plan;
    std::string refused;
    bool ok = true;
    for (const DialPlanEntry& entry : texts.dialPlanRows) {
        ok = AddDialPlanCommand(entry, twoPort, language, plan.commands, refused);
        if (!ok) break;
    }
    // Fields are compared, not their joined text, so a comma moved from one value into the next is
    // still a change.
    plan.sendsSip = texts.sipRow != texts.lastSipRow;
    if (ok && plan.sendsSip) {
        ok = AddRowCommands(kSipCommands, texts.sipRow, twoPort, kMsgSetSip, ApplyArea::Sip, plan.commands,
                            refused);
    }
    plan.sendsCodec = texts.codecRow != texts.lastCodecRow;
    if (ok && plan.sendsCodec) {
        ok = AddRowCommands(kCodecCommands, texts.codecRow, twoPort, kMsgSetCodec, ApplyArea::Codec,
                            plan.commands, refused);
    }
    if (!ok) {
        plan.commands.clear();
        plan.refusedField = std::move(refused);
    }
    return plan;
}

}  // namespace dezadav
