#include "session/apply_commands.h"

#include <algorithm>
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

// The numbers a value may be when it is not empty; {0, 0} for a value of any form.
struct ValueRange {
    int32_t min = 0;
    int32_t max = 0;
};
constexpr ValueRange kAnyValue{};
constexpr ValueRange kPortRange{1, 65535};
constexpr ValueRange kPayloadTypeRange{96, 127};

template <typename Field>
struct RowCommand {
    Field field;
    std::string_view words;
    ValueForm form;
    MessageText fieldName;
    ValueRange range = kAnyValue;
    bool secret = false;      // the value is never printed or recorded (see HideSecretValue)
    bool portTwo = false;     // only a two-port router has the second voice port
};

// The commands of a row, one per field, in row order (which is also the sending order).
constexpr std::array<RowCommand<SipField>, kSipRowFieldCount> kSipCommands{{
    {SipField::SipPort, "voip sip port", ValueForm::Text, kMsgFieldSipPort, kPortRange},
    {SipField::Registrar, "voip sip registrar", ValueForm::Text, kMsgFieldRegistrar},
    {SipField::Port1Registration, "voip sip endpt1 use_reg", ValueForm::Number, kMsgFieldPort1Registration},
    {SipField::Port1UserName, "voip sip endpt1 name", ValueForm::Text, kMsgFieldPort1Name},
    {SipField::Port1Password, "voip sip endpt1 pass", ValueForm::Text, kMsgFieldPort1Password, kAnyValue,
     true},
    {SipField::Port1Expiry, "voip sip endpt1 expire", ValueForm::ExpiryNumber, kMsgFieldPort1Expiry},
    {SipField::Port2RegisterVia, "voip sip endpt2 use_reg", ValueForm::Number, kMsgFieldPort2Registration,
     kAnyValue, false, true},
    {SipField::Port2UserName, "voip sip endpt2 name", ValueForm::Text, kMsgFieldPort2Name, kAnyValue, false,
     true},
    {SipField::Port2Password, "voip sip endpt2 pass", ValueForm::Text, kMsgFieldPort2Password, kAnyValue,
     true, true},
    {SipField::Port2Expiry, "voip sip endpt2 expire", ValueForm::ExpiryNumber, kMsgFieldPort2Expiry,
     kAnyValue, false, true},
}};

constexpr std::array<RowCommand<CodecField>, kCodecRowFieldCount> kCodecCommands{{
    {CodecField::Codec, "voip rtp codec type", ValueForm::Unchanged, kMsgFieldCodec},
    {CodecField::PacketSize, "voip rtp codec size", ValueForm::Unchanged, kMsgFieldPacketSize},
    {CodecField::DtmfMode, "voip rtp dtmf mode", ValueForm::Unchanged, kMsgFieldDtmfMode},
    {CodecField::PayloadType, "voip rtp dtmf payloadtype", ValueForm::Unchanged, kMsgFieldPayloadType,
     kPayloadTypeRange},
    {CodecField::RtpPortStart, "voip rtp port start", ValueForm::Text, kMsgFieldRtpStart, kPortRange},
    {CodecField::RtpPortEnd, "voip rtp port end", ValueForm::Text, kMsgFieldRtpEnd, kPortRange},
}};

// The number `value` is when it is nothing but decimal digits (at most nine of them).
std::optional<int32_t> WholeNumber(std::string_view value) {
    if (value.empty() || value.size() > 9) return std::nullopt;
    int32_t number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool InRange(std::string_view value, ValueRange range) {
    if (range.min == 0 && range.max == 0) return true;
    if (value.empty()) return true;  // sent as ever; the router answers for it
    const std::optional<int32_t> number = WholeNumber(value);
    return number && *number >= range.min && *number <= range.max;
}

template <typename Field, std::size_t N>
constexpr bool InRowOrder(const std::array<RowCommand<Field>, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        if (FieldPosition(table[i].field) != i) return false;
    }
    return true;
}
static_assert(InRowOrder(kSipCommands) && InRowOrder(kCodecCommands));

bool IsTextForm(ValueForm form) {
    return form == ValueForm::Text;
}

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

// The dial-plan command of one changed entry; nothing for an index outside 1..60. Returns false
// (with `refused` set) when a value that would be sent holds a control byte.
bool AddDialPlanCommand(const DialPlanEntry& entry, bool twoPort, std::vector<ApplyCommand>& commands,
                        std::optional<ApplyRefusal>& refused) {
    const int32_t index = ReadLeadingDecimal(entry.index);
    if (index < kFirstIndex || index > kLastIndex) return true;
    if (ContainsControlByte(entry.index)) {
        refused = ControlByteRefusal(kMsgFieldEntryIndex, entry.index);
        return false;
    }
    if (entry.phoneNumber.empty()) {
        commands.push_back({Join({kDialPlanDel, entry.index}), kMsgDelDialPlan, ApplyArea::DialPlan,
                            static_cast<std::size_t>(index - 1)});
        return true;
    }

    const std::string_view address = entry.sipAddress;
    const std::size_t at = address.find('@');
    const std::string_view user = at == std::string_view::npos ? std::string_view() : address.substr(0, at);
    const std::string_view domain = at == std::string_view::npos ? address : address.substr(at + 1);
    const std::string status = entry.statusMark == kDialPlanEnabledMark ? "1" : "0";

    const std::pair<std::string_view, const MessageText&> sent[] = {
        {entry.phoneNumber, kMsgFieldEntryPhone},
        {entry.sipAddress, kMsgFieldEntrySipAddress},
        {twoPort ? std::string_view() : std::string_view(entry.backupNumber), kMsgFieldEntryBackup},
    };
    for (const auto& [value, name] : sent) {
        if (ContainsControlByte(value)) {
            refused = ControlByteRefusal(name, entry.index);
            return false;
        }
        if (!IsOneWord(value)) {
            refused = UnsendableRefusal(name, entry.index);
            return false;
        }
    }

    // An empty domain would let the status slip into its place, so it is sent as the empty marker
    // like every other empty text value.
    std::string text = Join(
        {kDialPlanSet, entry.index, entry.phoneNumber, TextOrMarker(user), TextOrMarker(domain), status});
    if (!twoPort) {
        const int loop = LoopThroughCode(entry.loopThrough.value_or(LoopThrough::None));
        text = Join({text, std::to_string(loop), TextOrMarker(entry.backupNumber)});
    }
    commands.push_back({std::move(text), kMsgSetDialPlan, ApplyArea::DialPlan, static_cast<std::size_t>(index - 1)});
    return true;
}

template <typename Field, std::size_t N>
bool AddRowCommands(const std::array<RowCommand<Field>, N>& table, const std::vector<std::string>& row,
                    bool twoPort, const MessageText& failure, ApplyArea area,
                    std::vector<ApplyCommand>& commands, std::optional<ApplyRefusal>& refused) {
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
            refused = ControlByteRefusal(command.fieldName);
            return false;
        }
        if (!InRange(value, command.range)) {
            refused =
                ApplyRefusal{kMsgValueRange,
                             command.fieldName,
                             {},
                             std::to_string(command.range.min) + "-" + std::to_string(command.range.max)};
            return false;
        }
        if (IsTextForm(command.form) && !IsOneWord(value)) {
            refused = UnsendableRefusal(command.fieldName);
            return false;
        }
        // A one-port router has no second port, and may say so: it is sent the port's commands all the
        // same, as routers in the field always were, and its refusal of them changes nothing.
        commands.push_back({Join({command.words, argument}), failure, area, position, command.portTwo && !twoPort});
    }
    return true;
}

// A start port above the end port leaves the router no port to take.
bool RtpPortsInOrder(const std::vector<std::string>& codecRow) {
    const std::size_t start = FieldPosition(CodecField::RtpPortStart);
    const std::size_t end = FieldPosition(CodecField::RtpPortEnd);
    if (start >= codecRow.size() || end >= codecRow.size()) return true;
    const auto first = WholeNumber(codecRow[start]);
    const auto last = WholeNumber(codecRow[end]);
    return !first || !last || *first <= *last;
}

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != word[i]) return false;
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

std::string ApplyRefusal::Detail(const LanguageTable& language) const {
    if (!field) return {};
    std::string named = TextOrDefault(language, *field);
    if (!entryIndex.empty()) {
        std::string entry = TextOrDefault(language, kMsgFieldEntry);
        const std::size_t mark = entry.find("%s");
        if (mark != std::string::npos) entry.replace(mark, 2, entryIndex);
        named = entry + named;
    }
    return " (" + named + (range.empty() ? "" : ": " + range) + ")";
}

ApplyRefusal ControlByteRefusal(const MessageText& field, std::string entryIndex) {
    return ApplyRefusal{kMsgControlByte, field, std::move(entryIndex), {}};
}

bool IsOneWord(std::string_view value) {
    return value.find_first_of(" \"") == std::string_view::npos;
}

ApplyRefusal UnsendableRefusal(const MessageText& field, std::string entryIndex) {
    return ApplyRefusal{kMsgNotOneWord, field, std::move(entryIndex), {}};
}

std::string ApplyCommand::ShownText() const {
    return HideSecretValue(text);
}

std::optional<std::string> RouterRefusal(std::string_view reply) {
    const std::size_t textStart = reply.find_first_not_of("\r\n");
    if (textStart == std::string_view::npos) return std::nullopt;
    reply.remove_prefix(textStart);
    // What follows the last line break is the prompt, not an answer.
    const std::size_t promptLine = reply.find_last_of("\r\n");
    if (promptLine == std::string_view::npos) return std::nullopt;
    const std::string_view answer = reply.substr(0, reply.find_first_of("\r\n"));
    if (!StartsWithNoCase(answer, "error") && !StartsWithNoCase(answer, "%")) return std::nullopt;
    return std::string(answer);
}

ApplyPlan BuildApplyPlan(const RouterSettings& router, ApplyTexts pages, bool twoPort) {
    ApplyPlan plan;
    std::optional<ApplyRefusal> refused;
    bool ok = true;
    for (const DialPlanEntry& entry : pages.dialPlanRows) {
        if (router.HoldsEntry(entry)) continue;
        ok = AddDialPlanCommand(entry, twoPort, plan.commands, refused);
        if (!ok) break;
    }
    // Fields are compared, not their joined text, so a comma moved from one value into the next is
    // still a change.
    plan.sendsSip = pages.sipRow != router.sipFields;
    if (ok && plan.sendsSip) {
        ok = AddRowCommands(kSipCommands, pages.sipRow, twoPort, kMsgSetSip, ApplyArea::Sip, plan.commands,
                            refused);
    }
    plan.sendsCodec = pages.codecRow != router.codecFields;
    if (ok && plan.sendsCodec) {
        ok = AddRowCommands(kCodecCommands, pages.codecRow, twoPort, kMsgSetCodec, ApplyArea::Codec,
                            plan.commands, refused);
        if (ok && !RtpPortsInOrder(pages.codecRow)) {
            refused = ApplyRefusal{kMsgRtpPortOrder, std::nullopt, {}, {}};
            ok = false;
        }
    }
    if (!ok) {
        plan.commands.clear();
        plan.refusal = std::move(refused);
    }
    plan.pages = std::move(pages);
    return plan;
}

void RecordApplied(const ApplyPlan& plan, bool completed, std::size_t applied, bool twoPort,
                   RouterSettings& router) {
    const std::size_t wentThrough = completed ? plan.commands.size() : std::min(applied, plan.commands.size());
    // An area all of whose commands went through holds the plan's row whole (also the fields that
    // have no command on this router form); otherwise each field that went through is known to be
    // the plan's.
    const auto wholeArea = [&](ApplyArea area) {
        if (completed) return true;
        bool any = false;
        for (std::size_t i = 0; i < plan.commands.size(); ++i) {
            if (plan.commands[i].area != area) continue;
            if (i >= wentThrough) return false;
            any = true;
        }
        return any;
    };
    const bool sipWhole = plan.sendsSip && wholeArea(ApplyArea::Sip);
    const bool codecWhole = plan.sendsCodec && wholeArea(ApplyArea::Codec);
    const auto takeField = [](const ApplyCommand& command, const std::vector<std::string>& sent,
                              std::vector<std::string>& held) {
        // A row not known as a whole stays unknown: one field does not make it known.
        if (command.target < held.size() && command.target < sent.size()) held[command.target] = sent[command.target];
    };
    for (std::size_t i = 0; i < wentThrough; ++i) {
        const ApplyCommand& command = plan.commands[i];
        if (command.area == ApplyArea::Sip && !sipWhole) takeField(command, plan.pages.sipRow, router.sipFields);
        if (command.area == ApplyArea::Codec && !codecWhole)
            takeField(command, plan.pages.codecRow, router.codecFields);
        if (command.area != ApplyArea::DialPlan) continue;
        for (const DialPlanEntry& entry : plan.pages.dialPlanRows) {
            if (ReadLeadingDecimal(entry.index) - 1 == static_cast<int32_t>(command.target))
                router.SetEntry(EntryAsListed(entry, twoPort), true);
        }
    }
    if (sipWhole) router.sipFields = plan.pages.sipRow;
    if (codecWhole) router.codecFields = plan.pages.codecRow;
}

}  // namespace dezadav
