#include "session/telnet_socket.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "session/clock.h"
#include "session/telnet_dialogue.h"
#include "support/routersim_process.h"

namespace dezadav {
namespace {

using testing::RouterSimProcess;

constexpr const char* kTwoPortRouter = "127.0.0.2";

// A loopback port that nobody listens on: taken from the system, then given back.
uint16_t ClosedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
    const uint16_t port = server.serverPort();
    server.close();
    return port;
}

TEST(TelnetSocketTest, ConnectsLogsInAndTakesTheGreetingAsRawChunks) {
    RouterSimProcess sim({"--fault", std::string(kTwoPortRouter) + ":iac-greeting"});
    ASSERT_TRUE(sim.IsRunning());
    CTelnetSocket socket;
    SteadyClock clock;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kTwoPortRouter, sim.TelnetPort(), kConnectTimeoutMs));
    PumpMessagesFor(socket, clock, 100);

    TelnetDialogue dialogue(socket, clock);
    ReceivedChunk chunk;
    ASSERT_TRUE(dialogue.WaitForChunk(chunk, kLoginTimeoutMs));
    // The negotiation bytes are kept as they came; nothing is answered.
    EXPECT_EQ(0, chunk.data.rfind("\xff\xfb\x01", 0));
    EXPECT_NE(std::string::npos, chunk.data.find("Password:"));
    socket.Close();
}

TEST(TelnetSocketTest, ChunksAreAtMostFourThousandBytesAndKeepEveryByteInOrder) {
    RouterSimProcess sim({"--fault", std::string(kTwoPortRouter) + ":big-output=voip sip calllog", "--fault",
                          std::string(kTwoPortRouter) + ":big-output-bytes=30000"});
    ASSERT_TRUE(sim.IsRunning());
    CTelnetSocket socket;
    SteadyClock clock;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kTwoPortRouter, sim.TelnetPort(), kConnectTimeoutMs));
    TelnetDialogue dialogue(socket, clock);
    ASSERT_EQ(LoginResult::LoginOk, dialogue.Login("admin", kLoginTimeoutMs));

    // Typed by hand so that every chunk can be looked at.
    for (const char byte : std::string("\rvoip sip calllog")) {
        socket.Send(std::string_view(&byte, 1));
        ReceivedChunk echo;
        ASSERT_TRUE(dialogue.WaitForChunk(echo, kEchoTimeoutMs));
    }
    socket.Send("\r");
    std::string all;
    std::size_t chunks = 0;
    ReceivedChunk chunk;
    for (int guard = 0; guard < 1000 && dialogue.WaitForChunk(chunk, kOutputChunkTimeoutMs); ++guard) {
        ++chunks;
        ASSERT_FALSE(chunk.data.empty());
        ASSERT_LE(chunk.data.size(), kChunkSize);
        all += chunk.data;
        if (EndsInPrompt(all)) break;
    }
    EXPECT_GE(all.size(), 30000u);
    EXPECT_GE(chunks, 8u);
    EXPECT_NE(std::string::npos, all.find("filler line 000001"));
    EXPECT_TRUE(EndsInPrompt(all));
    socket.Close();
}

TEST(TelnetSocketTest, RefusedConnectionAndAddressesThatAreNotIpv4Fail) {
    CTelnetSocket socket;
    EXPECT_FALSE(socket.Connect("127.0.0.1", 1, kConnectTimeoutMs)) << "connect before create";
    ASSERT_TRUE(socket.Create());
    const uint16_t port = ClosedPort();
    ASSERT_NE(0, port);
    EXPECT_FALSE(socket.Connect("127.0.0.1", port, kConnectTimeoutMs));
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect("not an address", port, kConnectTimeoutMs));
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect("::1", port, kConnectTimeoutMs));
}

// A listening socket whose accept queue is full and never drained: the system drops further
// connection requests, so a connect to it is neither made nor refused.
class UnansweringPeer {
public:
    UnansweringPeer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(m_listener, 0) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port = ntohs(address.sin_port);
        // Fill the queue with connections that complete but are never accepted.
        for (int& filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        }
        ::usleep(100 * 1000);
    }
    ~UnansweringPeer() {
        for (int filler : m_fillers) ::close(filler);
        ::close(m_listener);
    }
    uint16_t port = 0;

private:
    int m_listener = -1;
    int m_fillers[3] = {-1, -1, -1};
};

TEST(TelnetSocketTest, ConnectToAPeerThatNeverAnswersIsAbandonedAtItsTimeOut) {
    UnansweringPeer peer;
    ASSERT_NE(0, peer.port);
    CTelnetSocket socket;
    ASSERT_TRUE(socket.Create());
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    SteadyClock clock;
    const int64_t start = clock.NowMs();
    EXPECT_FALSE(socket.Connect("127.0.0.1", peer.port, 400));
    const int64_t took = clock.NowMs() - start;
    EXPECT_GE(took, 400);
    EXPECT_LT(took, 5000);
    EXPECT_GE(ticks, 5);  // the event loop ran while the connect waited
}

TEST(TelnetSocketTest, QueueOutlivesCloseAndReopen) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    CTelnetSocket socket;
    SteadyClock clock;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kTwoPortRouter, sim.TelnetPort(), kConnectTimeoutMs));
    // The greeting is left unread in the queue.
    for (int guard = 0; guard < 100 && !socket.Queue().DataAvailable(); ++guard) socket.PumpEvents(100);
    ASSERT_TRUE(socket.Queue().DataAvailable());
    const std::size_t left = socket.Queue().Size();
    socket.Close();
    ASSERT_TRUE(socket.Create());
    EXPECT_EQ(left, socket.Queue().Size());
    ASSERT_TRUE(socket.Connect(kTwoPortRouter, sim.TelnetPort(), kConnectTimeoutMs));
    // The next login drains the leftovers and still finds the new greeting.
    TelnetDialogue dialogue(socket, clock);
    EXPECT_EQ(LoginResult::LoginOk, dialogue.Login("admin", kLoginTimeoutMs));
    std::string output;
    EXPECT_TRUE(dialogue.GetCommandOutput(output, "voip sip port"));
    EXPECT_NE(std::string::npos, output.find("5060"));
    socket.Close();
}

TEST(TelnetSocketTest, WaitingSleepsInTheEventLoopInsteadOfSpinning) {
    CTelnetSocket socket;
    SteadyClock clock;
    const std::clock_t cpuBefore = std::clock();
    const int64_t wallBefore = clock.NowMs();
    PumpMessagesFor(socket, clock, 300);
    const int64_t wall = clock.NowMs() - wallBefore;
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_GE(wall, 300);
    // A spinning wait would burn about as much CPU as wall time.
    EXPECT_LT(cpuMs, wall / 2.0);
}

}  // namespace
}  // namespace dezadav
