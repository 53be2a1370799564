#include "cli/command_echo_connection.h"

#include <gtest/gtest.h>

namespace dezadav::cli {
namespace {

// Records what reaches the real connection.
class RecordingConnection : public RouterConnection {
public:
    bool Create() override { return true; }
    bool Connect(const std::string&, uint16_t) override {
        ++connects;
        return true;
    }
    void Close() override {}
    void Send(std::string_view bytes) override { sent += bytes; }
    void PumpEvents(int64_t) override {}
    ChunkQueue& Queue() override { return queue; }

    std::string sent;
    int connects = 0;
    ChunkQueue queue;
};

// Types `line` byte by byte and ends it with a CR, as the dialogue does.
void Type(RouterConnection& connection, const std::string& line) {
    for (char c : line) connection.Send(std::string_view(&c, 1));
    connection.Send("\r");
}

class CommandEchoConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        echo.Expect({"voip sip port 5061", "voip rtp port start 10000"},
                    [this](const std::string& command) { reported.push_back(command); });
        ASSERT_TRUE(echo.Connect("127.0.0.2", 23));
    }
    RecordingConnection inner;
    CommandEchoConnection echo{inner};
    std::vector<std::string> reported;
};

TEST_F(CommandEchoConnectionTest, ReportsEachExpectedCommandWhenItsLineIsSentAndPassesEverythingOn) {
    Type(echo, "admin");
    Type(echo, "");
    for (char c : std::string("voip sip port 5061")) echo.Send(std::string_view(&c, 1));
    EXPECT_TRUE(reported.empty());  // not yet ended
    echo.Send("\r");
    EXPECT_EQ(reported, std::vector<std::string>{"voip sip port 5061"});
    Type(echo, "");
    Type(echo, "voip rtp port start 10000");
    EXPECT_EQ(reported, (std::vector<std::string>{"voip sip port 5061", "voip rtp port start 10000"}));
    EXPECT_EQ(inner.sent, "admin\r\rvoip sip port 5061\r\rvoip rtp port start 10000\r");
    EXPECT_EQ(inner.connects, 1);
}

TEST_F(CommandEchoConnectionTest, NeverReportsThePasswordLineEvenWhenItLooksLikeACommand) {
    Type(echo, "voip sip port 5061");  // the password line of this connection
    EXPECT_TRUE(reported.empty());
    Type(echo, "voip sip port 5061");
    EXPECT_EQ(reported.size(), 1u);

    // A new connection starts with its password line again.
    ASSERT_TRUE(echo.Connect("127.0.0.2", 23));
    Type(echo, "voip rtp port start 10000");
    EXPECT_EQ(reported.size(), 1u);
}

TEST_F(CommandEchoConnectionTest, ReportsOnlyTheExpectedCommandsInOrder) {
    Type(echo, "pw");
    Type(echo, "voip rtp port start 10000");  // out of order: not the next expected one
    Type(echo, "voip sip port 50");           // a different command
    EXPECT_TRUE(reported.empty());
    Type(echo, "voip sip port 5061");
    Type(echo, "voip sip port 5061");  // a repeat is not expected any more
    EXPECT_EQ(reported, std::vector<std::string>{"voip sip port 5061"});

    echo.StopEcho();
    Type(echo, "voip rtp port start 10000");
    EXPECT_EQ(reported.size(), 1u);
}

}  // namespace
}  // namespace dezadav::cli
