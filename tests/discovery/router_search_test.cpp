#include "discovery/router_search.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include "discovery/answer_bytes.h"
#include "discovery/loopback_peer.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::AnswerBytes;
using testing::AnswerFrom;
using testing::LoopbackPeer;
using testing::RecordingMessagePort;
using testing::SpinUntil;

class RouterSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.IsBound());
        search.Socket().SetTarget("127.0.0.1");
        search.Socket().SetPort(peer.Port());
    }

    LanguageTable table;
    RecordingMessagePort port;
    LoopbackPeer peer;
    RouterSearch search{table, port};
};

TEST_F(RouterSearchTest, ListsEachAnsweringRouterOnceAndSignalsItsRow) {
    QSignalSpy listed(&search, &RouterSearch::RouterListed);
    ASSERT_TRUE(search.Open());
    search.Start();
    ASSERT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    for (const std::string& answer :
         {AnswerFrom(1, "DZV-R5730K"), AnswerFrom(1, "DZV-R5730K"), std::string(30, 'z'),
          AnswerFrom(2, "DZV-R5830K"), AnswerFrom(1, "DZV-R5730K")}) {
        ASSERT_TRUE(peer.Answer(answer));
    }
    ASSERT_TRUE(SpinUntil([&] { return listed.count() >= 2; }));
    // The repeats and the short answer were queued before the last listed one and are gone by now;
    // give the loop one more turn so that a wrongly listed last repeat would show.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(search.Rows().size(), 2u);
    EXPECT_EQ(search.Rows()[0].modelName, "DZV-R5730K");
    EXPECT_EQ(search.Rows()[1].modelName, "DZV-R5830K");
    EXPECT_EQ(search.Rows()[1].ipAddress, "192.168.1.2");
    ASSERT_EQ(listed.count(), 2);
    EXPECT_EQ(listed[0][0].toInt(), 0);
    EXPECT_EQ(listed[1][0].toInt(), 1);
}

TEST_F(RouterSearchTest, SearchAgainEmptiesTheListAndFindsTheSameRouterAgain) {
    ASSERT_TRUE(search.Open());
    search.Start();
    ASSERT_FALSE(peer.ReceiveRequest().empty());
    ASSERT_TRUE(peer.Answer(AnswerFrom(7)));
    ASSERT_TRUE(SpinUntil([&] { return search.Rows().size() == 1; }));

    const std::uint16_t localPort = search.Socket().LocalPort();
    search.Start();
    EXPECT_TRUE(search.Rows().empty());
    ASSERT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    EXPECT_EQ(peer.LastSenderPort(), localPort);  // the same socket, not a new one
    ASSERT_TRUE(peer.Answer(AnswerFrom(7)));
    ASSERT_TRUE(SpinUntil([&] { return search.Rows().size() == 1; }));
    EXPECT_EQ(search.Rows()[0].macAddress, "00-1A-2B-3C-4D-07");
}

TEST_F(RouterSearchTest, StartAtAsksOneAddressOnly) {
    search.Socket().SetTarget("127.0.0.99");  // the broadcast target is not used by StartAt
    ASSERT_TRUE(search.Open());
    search.StartAt("127.0.0.1");
    ASSERT_EQ(peer.ReceiveRequest(), BuildDiscoveryRequest());
    ASSERT_TRUE(peer.Answer(AnswerFrom(9)));
    ASSERT_TRUE(SpinUntil([&] { return search.Rows().size() == 1; }));
}

TEST_F(RouterSearchTest, ClosedSearchKeepsItsRowsAndTakesNoMoreAnswers) {
    ASSERT_TRUE(search.Open());
    search.Start();
    ASSERT_FALSE(peer.ReceiveRequest().empty());
    ASSERT_TRUE(peer.Answer(AnswerFrom(1)));
    ASSERT_TRUE(SpinUntil([&] { return search.Rows().size() == 1; }));
    search.Close();
    ASSERT_TRUE(peer.Answer(AnswerFrom(2)));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(search.Rows().size(), 1u);
    // Search Again on the closed socket empties the list and finds nothing.
    search.Start();
    EXPECT_TRUE(search.Rows().empty());
    EXPECT_TRUE(peer.ReceiveRequest(100).empty());
}

TEST(SearchRouters, StopsAfterTheWantedNumberOfRouters) {
    LoopbackPeer peer;
    ASSERT_TRUE(peer.IsBound());
    LanguageTable table;
    RecordingMessagePort port;
    // The peer answers from inside the search's own event loop, once the request has arrived.
    QObject context;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &context, [&] {
        if (peer.ReceiveRequest(0).empty()) return;
        AnswerBytes bytes;
        bytes.propertyText = "[ModelName=" + std::string(38, 'L') + "]";
        peer.Answer(bytes.Build());
        peer.Answer(AnswerFrom(4));
    });
    poll.start(5);

    SearchOptions options;
    options.target = "127.0.0.1";
    options.port = peer.Port();
    options.waitMs = 30000;
    options.stopAfter = 2;
    QElapsedTimer clock;
    clock.start();
    const auto rows = SearchRouters(options, table, port);
    // Ended by the second router, not by the deadline.
    EXPECT_LT(clock.elapsed(), options.waitMs);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0].modelName, std::string(35, 'L'));
    EXPECT_EQ((*rows)[1].macAddress, "00-1A-2B-3C-4D-04");
    EXPECT_EQ(port.shown.size(), 1u);
}

}  // namespace
}  // namespace dezadav
