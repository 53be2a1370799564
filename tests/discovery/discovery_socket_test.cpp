#include "discovery/discovery_socket.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QUdpSocket>

#include "discovery/answer_bytes.h"
#include "discovery/loopback_peer.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::AnswerFrom;
using testing::LoopbackPeer;
using testing::RecordingMessagePort;
using testing::SpinUntil;

class DiscoverySocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.IsBound());
        socket.SetTarget("127.0.0.1");
        socket.SetPort(peer.Port());
        socket.SetHandler([this](std::string_view datagram) { received.emplace_back(datagram); });
    }

    // Opens the socket and has the peer take one request, so that it can answer.
    void OpenAndAsk() {
        ASSERT_TRUE(socket.Create(table, port));
        ASSERT_EQ(socket.SendRequest(), 1);
        ASSERT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    }

    LanguageTable table;
    RecordingMessagePort port;
    LoopbackPeer peer;
    CDiscoverySocket socket;
    std::vector<std::string> received;
};

TEST_F(DiscoverySocketTest, SendsTheRequestFromItsOwnPortToTheChosenTarget) {
    ASSERT_TRUE(socket.Create(table, port));
    EXPECT_TRUE(socket.IsOpen());
    EXPECT_NE(socket.LocalPort(), 0);
    EXPECT_EQ(socket.Targets(), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(socket.SendRequest(), 1);
    EXPECT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    EXPECT_EQ(peer.LastSenderPort(), socket.LocalPort());
    EXPECT_TRUE(socket.SendRequestTo("127.0.0.1"));
    EXPECT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    EXPECT_TRUE(port.shown.empty());
}

// Stands in for the system's proxy configuration and counts who asks it. (A TCP connection to a
// loopback address never asks, whatever its setting, so only discovery can show it here.)
struct CountingProxyFactory : QNetworkProxyFactory {
    explicit CountingProxyFactory(int& queries) : count(queries) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery&) override {
        ++count;
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    }
    int& count;
};

TEST_F(DiscoverySocketTest, SearchNeverAsksForAProxy) {
    int queries = 0;
    QNetworkProxyFactory::setApplicationProxyFactory(new CountingProxyFactory(queries));  // Qt owns it
    OpenAndAsk();
    QNetworkProxyFactory::setApplicationProxyFactory(nullptr);
    EXPECT_EQ(0, queries);
}

TEST_F(DiscoverySocketTest, EveryDatagramIsHandedOverWholeUpToAThousandBytes) {
    OpenAndAsk();
    const std::string normal = AnswerFrom(1);
    const std::string tiny(67, 'x');
    const std::string huge = AnswerFrom(2) + std::string(1500, 'h');
    ASSERT_TRUE(peer.Answer(normal));
    ASSERT_TRUE(peer.Answer(tiny));
    ASSERT_TRUE(peer.Answer(huge));
    ASSERT_TRUE(SpinUntil([this] { return received.size() >= 3; }));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], normal);
    EXPECT_EQ(received[1], tiny);
    EXPECT_EQ(received[2], huge.substr(0, kMaxDiscoveryDatagramSize));
}

TEST_F(DiscoverySocketTest, HandlerFinishesBeforeTheNextDatagramIsRead) {
    OpenAndAsk();
    int depth = 0;
    int deepest = 0;
    socket.SetHandler([&](std::string_view datagram) {
        ++depth;
        deepest = std::max(deepest, depth);
        const std::string copy(datagram);
        if (received.empty()) {
            // A message box runs its own event loop while the next answer is already waiting.
            QEventLoop nested;
            for (int turn = 0; turn < 10; ++turn) nested.processEvents(QEventLoop::AllEvents, 20);
        }
        // The buffer handed over must not have been overwritten meanwhile.
        EXPECT_EQ(copy, std::string(datagram));
        received.push_back(copy);
        --depth;
    });
    ASSERT_TRUE(peer.Answer(AnswerFrom(1)));
    ASSERT_TRUE(peer.Answer(AnswerFrom(2)));
    ASSERT_TRUE(SpinUntil([&] { return received.size() >= 2; }));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(received, (std::vector<std::string>{AnswerFrom(1), AnswerFrom(2)}));
}

TEST_F(DiscoverySocketTest, ClosingFromTheHandlerStopsFurtherReads) {
    OpenAndAsk();
    socket.SetHandler([this](std::string_view datagram) {
        received.emplace_back(datagram);
        socket.Close();
    });
    ASSERT_TRUE(peer.Answer(AnswerFrom(1)));
    ASSERT_TRUE(peer.Answer(AnswerFrom(2)));
    ASSERT_TRUE(SpinUntil([this] { return !received.empty(); }));
    // Both answers were queued before the first was read; let the loop run over the second too.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(received, std::vector<std::string>{AnswerFrom(1)});
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_EQ(socket.SendRequest(), 0);
}

TEST_F(DiscoverySocketTest, FailedCreateIsReportedAndSendsFail) {
    QUdpSocket blocker;
    ASSERT_TRUE(blocker.bind(QHostAddress(QHostAddress::AnyIPv4), 0, QAbstractSocket::DontShareAddress));
    table.LoadFromBytes("Message_Error [Fehler]\r\nMessage_UDPSocket [Kein UDP]\r\n");
    socket.SetLocalPort(blocker.localPort());

    EXPECT_FALSE(socket.Create(table, port));
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, "Fehler");
    EXPECT_EQ(port.shown[0].text, "Kein UDP");
    EXPECT_EQ(port.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_EQ(socket.SendRequest(), 0);
    EXPECT_FALSE(socket.SendRequestTo("127.0.0.1"));
    EXPECT_TRUE(peer.ReceiveRequest(100).empty());
}

TEST_F(DiscoverySocketTest, UnicastTargetMustBeAnIpv4Address) {
    ASSERT_TRUE(socket.Create(table, port));
    for (const char* bad : {"", "router.local", "::1", "127.0.0", "127.0.0.1:56415"}) {
        EXPECT_FALSE(socket.SendRequestTo(bad)) << bad;
    }
}

TEST(DiscoverySocketTargets, DefaultTargetsStartWithTheLimitedBroadcastEachOnce) {
    CDiscoverySocket socket;
    const std::vector<std::string> targets = socket.Targets();
    ASSERT_FALSE(targets.empty());
    EXPECT_EQ(targets[0], kLimitedBroadcastAddress);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        QHostAddress address;
        EXPECT_TRUE(address.setAddress(QString::fromStdString(targets[i]))) << targets[i];
        EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol) << targets[i];
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(targets[i], targets[j]);
    }
    EXPECT_EQ(socket.Port(), kDiscoveryPort);
    socket.SetTarget("10.1.2.3");
    EXPECT_EQ(socket.Targets(), std::vector<std::string>{"10.1.2.3"});
}

}  // namespace
}  // namespace dezadav
