#include "settings/codec_settings.h"

#include <algorithm>

#include "lang/messages.h"
#include "settings/sip_codec_output_words.h"
#include "settings/sip_codec_row_text.h"
#include "text/decimal_text.h"

namespace dezadav {
namespace {

// The keyword that introduces one value: one word (second empty) or two words in a row, where any
// number of other words may stand between the two.
struct ValueKeyword {
    std::string_view first;
    std::string_view second;
};

// Keywords of the first and second value of each output kind.
constexpr std::array<std::array<ValueKeyword, 2>, 3> kRtpKeywords = {{
    {{{"type", "="}, {"size", "="}}},
    {{{"mode:", ""}, {"type:", ""}}},
    {{{"start", "port:"}, {"end", "port:"}}},
}};

template <std::size_t N>
std::vector<std::string> TextsOf(const LanguageTable& language, const std::array<std::string_view, N>& keys) {
    std::vector<std::string> texts;
    for (std::string_view key : keys) texts.push_back(language.LookupText(key));
    return texts;
}

}  // namespace

bool IsPayloadTypeInRange(std::string_view boxText) {
    const std::int32_t v = ReadLeadingDecimal(boxText);
    return v >= kMinPayloadType && v <= kMaxPayloadType;
}

CodecSettings::CodecSettings(const LanguageTable& language)
    : m_language(&language),
      m_codec(TextsOf(language, kCodecChoiceKeys), kDefaultCodecPosition),
      m_packetSize(TextsOf(language, kPacketSizeKeys), kDefaultPacketSizePosition) {}

void CodecSettings::LimitCodecChoicesToOnePort() {
    if (m_codec.Count() > kOnePortCodecCount) {
        m_codec.RemoveAt(kOnePortCodecCount);
        m_codec.RemoveAt(kOnePortCodecCount);
    }
    m_codec.Select(kDefaultCodecPosition);
}

void CodecSettings::OfferAllCodecChoices() {
    for (int position = m_codec.Count(); position < static_cast<int>(kCodecChoiceKeys.size()); ++position) {
        m_codec.InsertAt(position,
                         m_language->LookupText(kCodecChoiceKeys[static_cast<std::size_t>(position)]));
    }
}

void CodecSettings::StoreValue(RtpOutputKind kind, int valueIndex, const std::string& value) {
    switch (kind) {
        case RtpOutputKind::Codec:
            (valueIndex == 0 ? m_codec : m_packetSize).Select(ReadLeadingDecimal(value));
            break;
        case RtpOutputKind::Dtmf:
            if (valueIndex == 0) {
                SetDtmfMode(ReadLeadingDecimal(value));
            } else {
                m_payloadType = value;
            }
            break;
        case RtpOutputKind::PortRange:
            (valueIndex == 0 ? m_rtpPortStart : m_rtpPortEnd) = value;
            break;
    }
}

bool RtpOutputHoldsSetting(std::string_view text, RtpOutputKind kind) {
    const auto& keywords = kRtpKeywords[static_cast<std::size_t>(kind)];
    // As the reader takes them: the second word of a two-word keyword counts at any point after its first.
    bool found = false;
    std::array<bool, 2> firstSeen{};
    CutOutputIntoWords(text, [&](const std::string& word) {
        for (std::size_t k = 0; k < keywords.size(); ++k) {
            const ValueKeyword& keyword = keywords[k];
            if (keyword.second.empty()) {
                found = found || word == keyword.first;
            } else {
                found = found || (firstSeen[k] && word == keyword.second);
                firstSeen[k] = firstSeen[k] || word == keyword.first;
            }
        }
        return WordAction::Continue;
    });
    return found;
}

bool CodecSettings::ParseRtpOutput(std::string_view text, std::size_t start, std::size_t length,
                                   RtpOutputKind kind) {
    if (start >= text.size() || length < 1) return false;
    const std::string_view range = text.substr(start, length);
    const auto& keywords = kRtpKeywords[static_cast<std::size_t>(kind)];

    // Both counters run over the whole output; they do not restart at a new line.
    int valueIndex = 0;  // 0: first value wanted, 1: second value wanted, 2: done
    int progress = 0;    // 0: nothing seen, 1: first word of a two-word keyword seen, 2: keyword complete
    CutOutputIntoWords(range, [&](const std::string& word) {
        if (valueIndex >= 2) return WordAction::Continue;
        if (progress == 2) {
            StoreValue(kind, valueIndex, word);
            progress = 0;
            ++valueIndex;
            return WordAction::Continue;
        }
        const ValueKeyword& keyword = keywords[static_cast<std::size_t>(valueIndex)];
        if (keyword.second.empty()) {
            if (word == keyword.first) progress = 2;
        } else if (word == keyword.first) {
            progress = 1;
        } else if (word == keyword.second && progress == 1) {
            progress = 2;
        }
        return WordAction::Continue;
    });

    RememberPayloadType();
    return true;
}

std::string CodecSettings::CodecFieldText(CodecField field, bool numeric) const {
    switch (field) {
        case CodecField::Codec:
            return numeric ? std::to_string(m_codec.Selected()) : m_codec.SelectedText();
        case CodecField::PacketSize:
            return numeric ? std::to_string(m_packetSize.Selected()) : m_packetSize.SelectedText();
        case CodecField::DtmfMode:
            return std::to_string(m_dtmfMode);
        case CodecField::PayloadType:
            return m_payloadType;
        case CodecField::RtpPortStart:
            return m_rtpPortStart;
        case CodecField::RtpPortEnd:
            return m_rtpPortEnd;
    }
    return {};
}

std::vector<std::string> CodecSettings::CodecFields(bool numeric) const {
    std::vector<std::string> fields;
    fields.reserve(kCodecRowFieldCount);
    for (std::size_t i = 0; i < kCodecRowFieldCount; ++i) {
        fields.push_back(CodecFieldText(static_cast<CodecField>(i), numeric));
    }
    return fields;
}

std::string CodecSettings::CodecRowText(bool numeric) const {
    return JoinRowFields(CodecFields(numeric));
}

void CodecSettings::LoadCodecField(CodecField field, std::string_view value) {
    // An empty text is what a list without selection saves (a router that reported a codec or size
    // outside the list): read back, it selects none again rather than keep what the page showed.
    switch (field) {
        case CodecField::Codec:
            if (value.empty()) m_codec.Select(-1);
            m_codec.SelectText(value);
            break;
        case CodecField::PacketSize:
            if (value.empty()) m_packetSize.Select(-1);
            m_packetSize.SelectText(value);
            break;
        case CodecField::DtmfMode:
            SetDtmfMode(ReadLeadingDecimal(value));
            break;
        case CodecField::PayloadType:
            m_payloadType = value;
            break;
        case CodecField::RtpPortStart:
            m_rtpPortStart = value;
            break;
        case CodecField::RtpPortEnd:
            m_rtpPortEnd = value;
            break;
    }
}

void CodecSettings::LoadCodecRow(std::span<const std::string> fields) {
    const std::size_t count = std::min(fields.size(), kCodecRowFieldCount);
    for (std::size_t i = 0; i < count; ++i) LoadCodecField(static_cast<CodecField>(i), fields[i]);
}

void CodecSettings::Recaption() {
    const int selected = m_packetSize.Selected();
    m_packetSize.Refill(TextsOf(*m_language, kPacketSizeKeys));
    m_packetSize.Select(selected);
}

bool CodecSettings::CheckPayloadType(MessagePort& port) {
    if (IsPayloadTypeInRange(m_payloadType)) return true;
    ShowMessageText(*m_language, port, kMsgPayload);
    m_payloadType = m_rememberedPayloadType;
    return false;
}

void CodecSettings::SetDtmfMode(int mode) {
    if (mode >= kDtmfInBand && mode <= kDtmfSipInfo) m_dtmfMode = mode;
}

}  // namespace dezadav
