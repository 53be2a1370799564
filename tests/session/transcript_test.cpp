#include "session/transcript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/session_request.h"

namespace dezadav {
namespace {

struct RecordingSink : TranscriptSink {
    bool Append(std::string_view block) override {
        blocks.emplace_back(block);
        return !failing;
    }
    std::vector<std::string> blocks;
    bool failing = false;
};

SessionRequest Request(SessionMode mode) {
    SessionRequest request;
    request.routerIp = "127.0.0.2";
    request.telnetPort = 2323;
    request.password = "s3cret";
    request.modelName = "DZV-R5730K";
    request.mode = mode;
    request.timeScale = 2.5;
    return request;
}

TEST(TranscriptTest, OneBlockPerExchangeWithTimesDirectionsEscapesAndOutcome) {
    RecordingSink sink;
    TranscriptWriter writer(sink, [] { return std::string("2026-12-07 10:00:00"); });
    writer.ExchangeStarted(1000, Request(SessionMode::GetVoipLog));
    writer.ChunkReceived(2500, std::string("\xFF\xFB\x01\n\rPassword:", 14));
    writer.LineTyped(2510, "s3cret", true, true);
    writer.LineTyped(2600, "", false, true);
    writer.LineTyped(2700, "voip sip callog", false, false);
    writer.ExchangeEnded(4700, false, "Failed to get VoIP Log data from router!");
    ASSERT_EQ(1u, sink.blocks.size());
    EXPECT_EQ(
        "=== 2026-12-07 10:00:00  127.0.0.2:2323  log refresh  model DZV-R5730K  time scale 2.5\n"
        "    1500 ms <- \"\\xFF\\xFB\\x01\\n\\rPassword:\"\n"
        "    1510 ms -> \"******\\r\"  (password)\n"
        "    1600 ms -> \"\\r\"\n"
        "    1700 ms -> \"voip sip callog\"  (the last byte was not echoed in time; line not finished)\n"
        "    3700 ms == failed: Failed to get VoIP Log data from router!\n\n",
        sink.blocks[0]);
    EXPECT_TRUE(writer.Healthy());
}

TEST(TranscriptTest, SipPasswordsAreMaskedWherePrintedAndWhereTyped) {
    RecordingSink sink;
    TranscriptWriter writer(sink, [] { return std::string("t"); });
    writer.ExchangeStarted(0, Request(SessionMode::ApplySettings));
    writer.ChunkReceived(1, "\n\r  name: alice\n\r  password: pw-one\n\r  seconds: 60\n\r");
    // The keyword ends one chunk, its value starts the next.
    writer.ChunkReceived(2, "  password:");
    writer.ChunkReceived(3, " pw-two\n\rDZV-R5730K> ");
    writer.LineTyped(4, "voip sip endpt2 pass new-secret", false, true);
    writer.LineTyped(5, "voip sip endpt1 pass ne", false, false);
    writer.ExchangeEnded(6, true, "Settings have been applied to router.");
    sink.failing = true;
    writer.ExchangeStarted(7, Request(SessionMode::GetSettings));
    writer.ExchangeEnded(8, true, "");

    ASSERT_EQ(2u, sink.blocks.size());
    const std::string& block = sink.blocks[0];
    for (const char* secret : {"s3cret", "pw-one", "pw-two", "new-secret", "ne\""}) {
        EXPECT_EQ(std::string::npos, block.find(secret)) << secret;
    }
    EXPECT_NE(std::string::npos, block.find("password: ******\\n"));
    EXPECT_NE(std::string::npos, block.find("\" ******\\n\\rDZV-R5730K> \""));
    // A typed value is hidden behind a fixed mask, so not even its length shows.
    EXPECT_NE(std::string::npos, block.find("\"voip sip endpt2 pass ********\\r\""));
    EXPECT_NE(std::string::npos, block.find("\"voip sip endpt1 pass ********\""));
    EXPECT_NE(std::string::npos, block.find("name: alice"));
    EXPECT_NE(std::string::npos, block.find("== success: Settings have been applied to router.\n"));
    EXPECT_FALSE(writer.Healthy());
}

}  // namespace
}  // namespace dezadav
