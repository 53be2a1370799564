#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/sip_codec_choice_list.h"
#include "settings/sip_codec_fields.h"

namespace dezadav {

// Which command's output a ParseRtpOutput call reads, and the keywords of its two values:
//   Codec     "voip rtp codec":  "type" "=" <codec>        then "size" "=" <packet size>
//   Dtmf      "voip rtp dtmf":   "mode:" <dtmf mode>       then "type:" <payload type>
//   PortRange "voip rtp port":   "start" "port:" <start>   then "end" "port:" <end>
enum class RtpOutputKind { Codec = 0, Dtmf = 1, PortRange = 2 };

// How DTMF digits are carried (the router's numbering).
enum DtmfMode : int { kDtmfInBand = 0, kDtmfOutBand = 1, kDtmfSipInfo = 2 };

// Language keys of the lists and mode buttons, in order (position = the router's number).
inline constexpr std::array<std::string_view, 5> kCodecChoiceKeys = {
    "Codec_Codec1", "Codec_Codec2", "Codec_Codec3", "Codec_Codec4", "Codec_Codec5"};
inline constexpr std::array<std::string_view, 6> kPacketSizeKeys = {
    "Codec_Size1", "Codec_Size2", "Codec_Size3", "Codec_Size4", "Codec_Size5", "Codec_Size6"};
inline constexpr std::array<std::string_view, 3> kDtmfModeKeys = {"Codec_InBand", "Codec_OutBand",
                                                                  "Codec_SIPInfo"};
inline constexpr int kOnePortCodecCount = 3;
inline constexpr int kDefaultCodecPosition = 2;       // "G.729A/B (8Kpbs)"
inline constexpr int kDefaultPacketSizePosition = 1;  // "20 ms"

// Payload-type range the Codec page enforces when the user leaves the payload box.
inline constexpr int kMinPayloadType = 96;
inline constexpr int kMaxPayloadType = 127;

// True when the payload box text, read as a leading decimal number (empty reads 0, huge numbers do
// not wrap), is from 96 to 127.
bool IsPayloadTypeInRange(std::string_view boxText);

// True when `text`, read as the output of the command `kind` names, holds the keyword of at least one
// of its two values. An error text in place of the output holds none.
bool RtpOutputHoldsSetting(std::string_view text, RtpOutputKind kind);

// The codec, RTP and DTMF settings of one router together with the lists, mode and remembered
// payload text the Codec page shows. Filled with the page's defaults at construction; changed by ParseRtpOutput
// (fetch), LoadCodecRow (settings file) and the page (user edits).
//
// The language table given at construction must outlive the object; list texts come from it.
class CodecSettings {
public:
    // Defaults at page creation: the five codecs with "G.729A/B (8Kpbs)" (2) selected, the six packet
    // sizes with "20 ms" (1) selected, DTMF InBand, payload "101", RTP ports "10050" to "15000".
    explicit CodecSettings(const LanguageTable& language);

    // --- fetch -------------------------------------------------------------------------------------
    // One-port routers offer three codecs: called by the workflow after each fetch from a one-port
    // router, before the codec output is parsed. A list of more than three entries loses its last
    // two; position 2 is then selected.
    void LimitCodecChoicesToOnePort();
    // Two-port routers offer all five codecs: called by the workflow after each fetch from a two-port
    // router, so that a list trimmed for a one-port router fetched before gets its last two entries
    // back. The selection stays on its entry.
    void OfferAllCodecChoices();

    // Reads text[start, start + length) (clamped to the text) as the output of the command `kind`
    // names. Every word is examined; the second value is looked for only after the first was taken,
    // and the keyword progress carries over lines. A codec or packet-size number that is no position
    // of its list leaves the list without selection; a DTMF mode other than 0..2 is ignored; payload
    // and ports are taken as text. Returns false and changes nothing when there is no byte to read;
    // otherwise returns true after remembering the payload text (RememberPayloadType).
    bool ParseRtpOutput(std::string_view text, std::size_t start, std::size_t length, RtpOutputKind kind);
    bool ParseRtpOutput(std::string_view text, RtpOutputKind kind) {
        return ParseRtpOutput(text, 0, text.size(), kind);
    }

    // --- the row ------------------------------------------------------------------------------------
    // One field of the row (see CodecField), whole. numeric: codec and packet size as list positions
    // (-1 without selection) for the apply; otherwise the texts of the selected
    // entries (empty without selection) for the settings file.
    std::string CodecFieldText(CodecField field, bool numeric) const;
    // The six fields in row order. No side effect.
    std::vector<std::string> CodecFields(bool numeric) const;
    // The fields joined by "," and ended by CR LF. No side effect.
    std::string CodecRowText(bool numeric) const;
    // Remembers the payload text as the one CheckPayloadType puts back ("101" from construction).
    // Called when the page saves, when the settings are applied, and by every parse.
    void RememberPayloadType() { m_rememberedPayloadType = m_payloadType; }

    // --- settings file -------------------------------------------------------------------------------
    // One field of a loaded codec row: Codec selects the first codec entry whose text equals the
    // value; PacketSize the same in the packet-size list (no equal entry: no change; an empty text,
    // as a list without selection is saved: no selection); DtmfMode
    // m := leading decimal, 0..2 sets the DTMF mode, anything else nothing; payload type and RTP
    // ports are taken as text.
    void LoadCodecField(CodecField field, std::string_view value);
    // LoadCodecField for every field in row order; fields past the sixth are ignored.
    void LoadCodecRow(std::span<const std::string> fields);

    // --- language change -------------------------------------------------------------------------------
    // Refills the packet-size list from the current language keeping its selected position; the codec
    // list keeps its entries (codec names).
    void Recaption();
    // The lists in `language`'s words from now on, each keeping its choice (Recaption from that table).
    void UseLanguage(const LanguageTable& language) {
        m_language = &language;
        Recaption();
    }

    // --- the page's payload check ---------------------------------------------------------------------
    // Run when the payload box loses the focus: when the current payload text is out of 96..127, shows
    // kMsgPayload (caption kMsgErrorCaption) through `port`, puts the remembered payload text back
    // and returns false; otherwise returns true and changes nothing.
    bool CheckPayloadType(MessagePort& port);

    // --- values (the page reads and edits these) -------------------------------------------------------
    ChoiceList& Codec() { return m_codec; }
    const ChoiceList& Codec() const { return m_codec; }
    ChoiceList& PacketSize() { return m_packetSize; }
    const ChoiceList& PacketSize() const { return m_packetSize; }
    int DtmfModeValue() const { return m_dtmfMode; }
    // A mode button click: 0 InBand, 1 OutBand, 2 SIP INFO; any other value is ignored.
    void SetDtmfMode(int mode);
    const std::string& PayloadType() const { return m_payloadType; }
    void SetPayloadType(std::string value) { m_payloadType = std::move(value); }
    const std::string& RtpPortStart() const { return m_rtpPortStart; }
    void SetRtpPortStart(std::string value) { m_rtpPortStart = std::move(value); }
    const std::string& RtpPortEnd() const { return m_rtpPortEnd; }
    void SetRtpPortEnd(std::string value) { m_rtpPortEnd = std::move(value); }

private:
    void StoreValue(RtpOutputKind kind, int valueIndex, const std::string& value);

    const LanguageTable* m_language;
    ChoiceList m_codec;
    ChoiceList m_packetSize;
    int m_dtmfMode = kDtmfInBand;
    std::string m_payloadType = "101";
    std::string m_rtpPortStart = "10050";
    std::string m_rtpPortEnd = "15000";
    std::string m_rememberedPayloadType = "101";
};

}  // namespace dezadav
