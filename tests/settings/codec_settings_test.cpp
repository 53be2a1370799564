#include "settings/codec_settings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "router_lines.h"
#include "support/english_language.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::PrefixedEnglish;
using testing::RouterLines;
using testing::ShippedEnglish;

const std::vector<std::string> kCodecs = {"G.711MU (64Kpbs)", "G.711A (64Kpbs)", "G.729A/B (8Kpbs)",
                                          "G.723 (6.4Kpbs)", "G.726_32 (32Kpbs)"};
const std::vector<std::string> kSizes = {"10 ms", "20 ms", "30 ms", "40 ms", "50 ms", "60 ms"};

TEST(CodecLanguageKeysTest, ListKeysResolveInTheShippedEnglishFile) {
    const LanguageTable shipped = ShippedEnglish();
    for (std::string_view key : kCodecChoiceKeys) EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
    for (std::string_view key : kPacketSizeKeys) EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
    for (std::string_view key : kDtmfModeKeys) EXPECT_NE(shipped.LookupText(key), kMissingText) << key;
}

class CodecSettingsTest : public ::testing::Test {
protected:
    LanguageTable english = ShippedEnglish();
    CodecSettings codec{english};
};

TEST_F(CodecSettingsTest, PageCreationDefaults) {
    EXPECT_EQ(codec.Codec().Entries(), kCodecs);
    EXPECT_EQ(codec.PacketSize().Entries(), kSizes);
    EXPECT_EQ(codec.CodecFields(true), (std::vector<std::string>{"2", "1", "0", "101", "10050", "15000"}));
    EXPECT_EQ(codec.CodecRowText(false), "G.729A/B (8Kpbs),20 ms,0,101,10050,15000\r\n");
    EXPECT_EQ(codec.CodecRowText(true), "2,1,0,101,10050,15000\r\n");
}

TEST_F(CodecSettingsTest, ReadsTheThreeOutputs) {
    ASSERT_TRUE(
        codec.ParseRtpOutput(RouterLines({"Codec type = 3", "Packet size = 2"}), RtpOutputKind::Codec));
    EXPECT_EQ(codec.Codec().SelectedText(), "G.723 (6.4Kpbs)");
    EXPECT_EQ(codec.PacketSize().SelectedText(), "30 ms");
    ASSERT_TRUE(
        codec.ParseRtpOutput(RouterLines({"DTMF mode: 1", "payload type: 110"}), RtpOutputKind::Dtmf));
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfOutBand);
    EXPECT_EQ(codec.PayloadType(), "110");
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"RTP start port: 20000", "RTP end port: 20100"}),
                                     RtpOutputKind::PortRange));
    EXPECT_EQ(codec.RtpPortStart(), "20000");
    EXPECT_EQ(codec.RtpPortEnd(), "20100");
    EXPECT_EQ(codec.CodecRowText(true), "3,2,1,110,20000,20100\r\n");
    testing::RecordingMessagePort port;
    codec.SetPayloadType("50");  // the payload read is the one the payload check puts back
    EXPECT_FALSE(codec.CheckPayloadType(port));
    EXPECT_EQ(codec.PayloadType(), "110");
}

TEST_F(CodecSettingsTest, OnePortListHasThreeCodecs) {
    codec.Codec().Select(4);
    codec.LimitCodecChoicesToOnePort();
    EXPECT_EQ(codec.Codec().Entries(), std::vector<std::string>(kCodecs.begin(), kCodecs.begin() + 3));
    EXPECT_EQ(codec.Codec().Selected(), 2);
    // A second trim leaves three entries.
    codec.Codec().Select(0);
    codec.LimitCodecChoicesToOnePort();
    EXPECT_EQ(codec.Codec().Count(), 3);
    EXPECT_EQ(codec.Codec().Selected(), 2);

    // A two-port router fetched next offers all five again; the selection stays on its entry.
    CodecSettings restored = codec;
    restored.OfferAllCodecChoices();
    EXPECT_EQ(restored.Codec().Entries(), std::vector<std::string>(kCodecs.begin(), kCodecs.end()));
    EXPECT_EQ(restored.Codec().Selected(), 2);
    restored.OfferAllCodecChoices();
    EXPECT_EQ(restored.Codec().Count(), 5);

    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"type = 3", "size = 2"}), RtpOutputKind::Codec));
    EXPECT_EQ(codec.Codec().Selected(), -1);
    EXPECT_EQ(codec.PacketSize().Selected(), 2);
    EXPECT_EQ(codec.CodecFields(true)[0], "-1");
    EXPECT_EQ(codec.CodecFields(false)[0], "");
}

TEST_F(CodecSettingsTest, KeywordProgressSurvivesOtherWordsAndLines) {
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"type default", "is = 0", "size", "x", "= 5"}),
                                     RtpOutputKind::Codec));
    EXPECT_EQ(codec.Codec().Selected(), 0);
    EXPECT_EQ(codec.PacketSize().Selected(), 5);

    // A lone "=" before any "type" does nothing; the value after a later "type =" counts.
    CodecSettings other(english);
    ASSERT_TRUE(other.ParseRtpOutput(RouterLines({"= 4", "type = 1"}), RtpOutputKind::Codec));
    EXPECT_EQ(other.Codec().Selected(), 1);

    // The second value is only looked for after the first: a size before the type is not read.
    CodecSettings third(english);
    ASSERT_TRUE(third.ParseRtpOutput(RouterLines({"size = 4", "type = 0"}), RtpOutputKind::Codec));
    EXPECT_EQ(third.Codec().Selected(), 0);
    EXPECT_EQ(third.PacketSize().Selected(), 1);

    // Unlike the SIP reader, a value does not end its line.
    CodecSettings fourth(english);
    ASSERT_TRUE(fourth.ParseRtpOutput("type = 3 size = 5 type = 1 \n\r", RtpOutputKind::Codec));
    EXPECT_EQ(fourth.Codec().Selected(), 3);
    EXPECT_EQ(fourth.PacketSize().Selected(), 5);
}

TEST_F(CodecSettingsTest, DtmfModeOutsideRangeIsIgnoredButPayloadStillRead) {
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"mode: 2", "type: 100"}), RtpOutputKind::Dtmf));
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfSipInfo);
    EXPECT_EQ(codec.PayloadType(), "100");
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"mode: 5", "type: 120"}), RtpOutputKind::Dtmf));
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfSipInfo);
    EXPECT_EQ(codec.PayloadType(), "120");
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"mode: -4294967296", "type: 99"}), RtpOutputKind::Dtmf));
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfSipInfo);
    // "type:" is only known after the mode value was taken.
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"type: 97", "mode: 0"}), RtpOutputKind::Dtmf));
    EXPECT_EQ(codec.PayloadType(), "99");
    EXPECT_EQ(codec.DtmfModeValue(), kDtmfInBand);
}

TEST_F(CodecSettingsTest, PortRangeNeedsStartFirst) {
    ASSERT_TRUE(codec.ParseRtpOutput(RouterLines({"end port: 15000", "start port: 10050"}),
                                     RtpOutputKind::PortRange));
    EXPECT_EQ(codec.RtpPortStart(), "10050");
    EXPECT_EQ(codec.RtpPortEnd(), "15000");
    ASSERT_TRUE(
        codec.ParseRtpOutput(RouterLines({"end port: 3", "start port: 1"}), RtpOutputKind::PortRange));
    EXPECT_EQ(codec.RtpPortStart(), "1");
    EXPECT_EQ(codec.RtpPortEnd(), "15000");
}

TEST_F(CodecSettingsTest, NothingToReadReturnsFalse) {
    EXPECT_FALSE(codec.ParseRtpOutput("", RtpOutputKind::Codec));
    EXPECT_FALSE(codec.ParseRtpOutput("type = 1 ", 3, 0, RtpOutputKind::Codec));
    EXPECT_FALSE(codec.ParseRtpOutput("type = 1 ", 9, 4, RtpOutputKind::Codec));
    EXPECT_EQ(codec.Codec().Selected(), 2);
    ASSERT_TRUE(codec.ParseRtpOutput("no keywords here", RtpOutputKind::Codec));
    EXPECT_EQ(codec.CodecRowText(true), "2,1,0,101,10050,15000\r\n");
}

TEST(PayloadTypeTest, RangeIs96To127) {
    for (const char* ok : {"96", "127", "101", "0101", "100abc"}) EXPECT_TRUE(IsPayloadTypeInRange(ok)) << ok;
    for (const char* bad : {"95", "128", "", "abc", "-100", "4294967392", "99999999999999999999999"}) {
        EXPECT_FALSE(IsPayloadTypeInRange(bad)) << bad;
    }
}

TEST_F(CodecSettingsTest, PayloadCheckRestoresTheRememberedText) {
    testing::RecordingMessagePort port;
    codec.SetPayloadType("96");
    EXPECT_TRUE(codec.CheckPayloadType(port));
    EXPECT_TRUE(port.shown.empty());
    codec.RememberPayloadType();  // as an apply does
    codec.SetPayloadType("128");
    EXPECT_FALSE(codec.CheckPayloadType(port));
    EXPECT_EQ(codec.PayloadType(), "96");
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, "Error");
    EXPECT_EQ(port.shown[0].text, "The value must between 96 ~ 127!");
    codec.SetPayloadType("");
    EXPECT_FALSE(codec.CheckPayloadType(port));
    EXPECT_EQ(codec.PayloadType(), "96");
    EXPECT_EQ(port.shown.size(), 2u);
}

TEST_F(CodecSettingsTest, LoadCodecRowMatchesListTexts) {
    codec.LoadCodecRow(std::vector<std::string>{"G.726_32 (32Kpbs)", "60 ms", "2", "111", "1", "2", "extra"});
    EXPECT_EQ(codec.CodecFields(true), (std::vector<std::string>{"4", "5", "2", "111", "1", "2"}));

    CodecSettings onePort(english);
    onePort.LimitCodecChoicesToOnePort();
    onePort.LoadCodecRow(std::vector<std::string>{"G.726_32 (32Kpbs)", "no such size", "7"});
    EXPECT_EQ(onePort.Codec().Selected(), 2);
    EXPECT_EQ(onePort.PacketSize().Selected(), 1);
    EXPECT_EQ(onePort.DtmfModeValue(), kDtmfInBand);
    onePort.LoadCodecField(CodecField::Codec, "G.711A (64Kpbs)");
    EXPECT_EQ(onePort.Codec().Selected(), 1);
    // Texts of another language match nothing.
    onePort.LoadCodecField(CodecField::PacketSize, "x-30 ms");
    EXPECT_EQ(onePort.PacketSize().Selected(), 1);
}

TEST_F(CodecSettingsTest, RecaptionRefillsOnlyThePacketSizes) {
    LanguageTable language = ShippedEnglish();
    CodecSettings settings(language);
    settings.PacketSize().Select(4);
    language = PrefixedEnglish("zz-");
    settings.Recaption();
    EXPECT_EQ(settings.PacketSize().SelectedText(), "zz-50 ms");
    EXPECT_EQ(settings.PacketSize().Count(), 6);
    EXPECT_EQ(settings.Codec().Entries(), kCodecs);
    EXPECT_EQ(settings.Codec().Selected(), 2);
}

void RandomizeCodec(CodecSettings& c, std::mt19937& rng, bool withSelection) {
    auto digits = [&]() {
        std::string t;
        const int n = static_cast<int>(rng() % 7);
        for (int i = 0; i < n; ++i) t += static_cast<char>('0' + rng() % 10);
        return t;
    };
    auto position = [&](const ChoiceList& list) {
        return withSelection ? static_cast<int>(rng() % list.Count())
                             : static_cast<int>(rng() % (list.Count() + 1)) - 1;
    };
    c.Codec().Select(position(c.Codec()));
    c.PacketSize().Select(position(c.PacketSize()));
    c.SetDtmfMode(static_cast<int>(rng() % 3));
    c.SetPayloadType(digits());
    c.SetRtpPortStart(digits());
    c.SetRtpPortEnd(digits());
}

TEST_F(CodecSettingsTest, RowLoadRoundTripsOverRandomStates) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 400; ++round) {
        CodecSettings saved(english);
        if (round % 3 == 0) saved.LimitCodecChoicesToOnePort();
        CodecSettings loaded = saved;
        RandomizeCodec(saved, rng, true);
        RandomizeCodec(loaded, rng, round % 2 == 0);
        const std::vector<std::string> fields = saved.CodecFields(false);
        ASSERT_EQ(fields.size(), kCodecRowFieldCount);
        loaded.LoadCodecRow(fields);
        ASSERT_EQ(loaded.CodecFields(false), fields) << "round " << round;
        ASSERT_EQ(loaded.CodecRowText(true), saved.CodecRowText(true)) << "round " << round;
    }
}

// A router that reported a codec or size outside the lists is saved with empty texts; read back, they
// select nothing again instead of keeping what the page showed (which an apply would then write).
TEST_F(CodecSettingsTest, RowWithoutSelectionLoadsWithoutSelection) {
    CodecSettings saved(english);
    saved.Codec().Select(-1);
    saved.PacketSize().Select(-1);
    codec.Codec().Select(0);
    codec.PacketSize().Select(5);
    codec.LoadCodecRow(saved.CodecFields(false));
    EXPECT_EQ(codec.Codec().Selected(), -1);
    EXPECT_EQ(codec.PacketSize().Selected(), -1);
}

TEST_F(CodecSettingsTest, ParsedOutputReadsBackExactly) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        CodecSettings c(english);
        const int type = static_cast<int>(rng() % 5), size = static_cast<int>(rng() % 6),
                  mode = static_cast<int>(rng() % 3);
        const std::string payload = std::to_string(96 + rng() % 32), start = std::to_string(rng() % 65536),
                          end = std::to_string(rng() % 65536);
        ASSERT_TRUE(c.ParseRtpOutput(RouterLines({"  default codec type = " + std::to_string(type),
                                                  "  packet size = " + std::to_string(size)}),
                                     RtpOutputKind::Codec));
        ASSERT_TRUE(
            c.ParseRtpOutput(RouterLines({"DTMF mode: " + std::to_string(mode), "payload type: " + payload}),
                             RtpOutputKind::Dtmf));
        ASSERT_TRUE(c.ParseRtpOutput(
            RouterLines({"dynamic RTP start port: " + start, "dynamic RTP end port: " + end}),
            RtpOutputKind::PortRange));
        EXPECT_EQ(c.CodecRowText(true), std::to_string(type) + "," + std::to_string(size) + "," +
                                      std::to_string(mode) + "," + payload + "," + start + "," + end +
                                      "\r\n");
    }
}

}  // namespace
}  // namespace dezadav
