#include "discovery/router_list.h"

#include <gtest/gtest.h>

#include "discovery/answer_bytes.h"
#include "discovery/discovery_datagram.h"
#include "support/recording_message_port.h"

namespace dezadav {
namespace {

using testing::AnswerBytes;
using testing::AnswerFrom;
using testing::RecordingMessagePort;

class RouterListTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Translated texts prove the message comes from the table under the right keys.
        table.LoadFromBytes("Message_Error [Fehler]\r\nMessage_Router [Antwort zu lang]\r\n");
    }

    AnswerOutcome Handle(const std::string& datagram) { return list.HandleAnswer(datagram, table, port); }

    LanguageTable table;
    RecordingMessagePort port;
    RouterList list;
};

TEST_F(RouterListTest, ListedAnswerBecomesARowWithEveryField) {
    AnswerBytes bytes;
    bytes.ip = {172, 16, 5, 9};
    bytes.mask = {255, 240, 0, 0};
    bytes.mac = {0xAA, 0xBB, 0xCC, 0x01, 0x02, 0x03};
    bytes.propertyText = "[Serial=77][ModelName=DZV-R5430K][FirmwareVersion=V2.03]";
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    ASSERT_EQ(list.Size(), 1u);
    const RouterInfo& row = list.Rows()[0];
    EXPECT_EQ(row.modelName, "DZV-R5430K");
    EXPECT_EQ(row.ipAddress, "172.16.5.9");
    EXPECT_EQ(row.subnetMask, "255.240.0.0");
    EXPECT_EQ(row.macAddress, "AA-BB-CC-01-02-03");
    EXPECT_EQ(row.firmwareVersion, "V2.03");
    EXPECT_TRUE(row.password.empty());
    EXPECT_TRUE(port.shown.empty());
}

TEST_F(RouterListTest, AnswerWithoutPropertiesIsListedWithEmptyFields) {
    AnswerBytes bytes;
    bytes.propertyText = "[Foo][ModelName=ABC][Version=1]";
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_TRUE(list.Rows()[0].modelName.empty());
    EXPECT_TRUE(list.Rows()[0].firmwareVersion.empty());
}

TEST_F(RouterListTest, ShortAnswersAreDroppedWithoutAMessage) {
    const std::string answer = AnswerFrom(1);
    EXPECT_EQ(Handle(answer.substr(0, 67)), AnswerOutcome::TooShort);
    EXPECT_EQ(Handle(""), AnswerOutcome::TooShort);
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(port.shown.empty());
    // The dropped answer did not count as seen: the router's full answer is listed.
    EXPECT_EQ(Handle(answer), AnswerOutcome::Listed);
}

TEST_F(RouterListTest, EveryRouterIsListedOncePerSearch) {
    const std::string a = AnswerFrom(1);
    const std::string b = AnswerFrom(2);
    EXPECT_EQ(Handle(a), AnswerOutcome::Listed);
    EXPECT_EQ(Handle(a), AnswerOutcome::Repeated);
    EXPECT_EQ(Handle(b), AnswerOutcome::Listed);
    EXPECT_EQ(Handle(a), AnswerOutcome::Repeated);  // again after another router: still once
    EXPECT_EQ(Handle(b), AnswerOutcome::Repeated);
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.Rows()[0].macAddress, "00-1A-2B-3C-4D-01");
    EXPECT_EQ(list.Rows()[1].macAddress, "00-1A-2B-3C-4D-02");
}

TEST_F(RouterListTest, RepeatIsDecidedByMacAloneAndKeepsTheFirstAnswer) {
    AnswerBytes first;
    first.propertyText = "[ModelName=FIRST]";
    AnswerBytes second = first;
    second.ip = {10, 9, 9, 9};
    second.propertyText = "[ModelName=SECOND]";
    EXPECT_EQ(Handle(first.Build()), AnswerOutcome::Listed);
    EXPECT_EQ(Handle(second.Build()), AnswerOutcome::Repeated);
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Rows()[0].modelName, "FIRST");
}

TEST_F(RouterListTest, NewSearchForgetsRowsAndSeenRouters) {
    const std::string a = AnswerFrom(1);
    EXPECT_EQ(Handle(a), AnswerOutcome::Listed);
    EXPECT_EQ(Handle(AnswerFrom(2)), AnswerOutcome::Listed);
    list.StartSearch();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(Handle(a), AnswerOutcome::Listed);
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Rows()[0].macAddress, "00-1A-2B-3C-4D-01");
}

TEST_F(RouterListTest, FloodOfRoutersStopsAtTheRowCap) {
    const std::size_t offered = RouterList::kMaxRows + 40;
    std::size_t listed = 0;
    for (std::size_t i = 0; i < offered; ++i) {
        AnswerBytes bytes;
        bytes.mac[4] = static_cast<unsigned char>(i >> 8);
        bytes.mac[5] = static_cast<unsigned char>(i & 0xFF);
        bytes.propertyText = "[ModelName=" + std::string(40, 'M') + "]";
        if (Handle(bytes.Build()) == AnswerOutcome::Listed) ++listed;
    }
    EXPECT_EQ(listed, RouterList::kMaxRows);
    EXPECT_EQ(list.Size(), RouterList::kMaxRows);
    // Dropped answers showed nothing: one out-of-range message per listed row.
    EXPECT_EQ(port.shown.size(), RouterList::kMaxRows);
    EXPECT_EQ(list.Rows().back().macAddress, "00-1A-2B-3C-00-FF");
    // A listed router answering again is still a repeat; a new one finds the list full.
    AnswerBytes listedAgain;
    listedAgain.mac[4] = 0;
    listedAgain.mac[5] = 5;
    EXPECT_EQ(Handle(listedAgain.Build()), AnswerOutcome::Repeated);
    EXPECT_EQ(Handle(AnswerFrom(0)), AnswerOutcome::ListFull);
    EXPECT_EQ(port.shown.size(), RouterList::kMaxRows);
    list.StartSearch();
    EXPECT_EQ(Handle(AnswerFrom(0)), AnswerOutcome::Listed);
}

TEST_F(RouterListTest, LongModelNameShowsOneMessageAndKeepsThirtyFiveCharacters) {
    const std::string name35 = "DZV-R5730K-" + std::string(24, 'x');
    const std::string name40 = name35 + "yyyyy";
    ASSERT_EQ(name35.size(), 35u);

    AnswerBytes bytes;
    bytes.propertyText = "[ModelName=" + name35 + "][Version=1]";
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].caption, "Fehler");
    EXPECT_EQ(port.shown[0].text, "Antwort zu lang");
    EXPECT_EQ(port.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(list.Rows()[0].modelName, name35);
    EXPECT_EQ(list.Rows()[0].firmwareVersion, "1");

    bytes.mac[5] ^= 0xFF;
    bytes.propertyText = "[ModelName=" + name40 + "]";
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    EXPECT_EQ(port.shown.size(), 2u);
    EXPECT_EQ(list.Rows()[1].modelName, name35);

    // A repeated answer shows nothing again.
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Repeated);
    EXPECT_EQ(port.shown.size(), 2u);
}

TEST_F(RouterListTest, BothPropertiesTooLongShowTwoMessages) {
    AnswerBytes bytes;
    bytes.propertyText = "[ModelName=" + std::string(36, 'm') + "][Version=" + std::string(30, 'v') + "]";
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    EXPECT_EQ(port.shown.size(), 2u);
    EXPECT_EQ(list.Rows()[0].modelName, std::string(35, 'm'));
    EXPECT_EQ(list.Rows()[0].firmwareVersion, std::string(23, 'v'));
}

// The user presses Search Again while the out-of-range message box is open.
class RestartingPort : public MessagePort {
public:
    explicit RestartingPort(RouterList& list) : m_list(list) {}
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {
        ++shown;
        m_list.StartSearch();
    }
    int shown = 0;

private:
    RouterList& m_list;
};

TEST_F(RouterListTest, AnswerOfASearchRestartedDuringItsMessageIsNotCarriedOver) {
    RestartingPort restarting(list);
    AnswerBytes bytes;
    bytes.propertyText = "[ModelName=" + std::string(35, 'm') + "]";
    EXPECT_EQ(Handle(AnswerFrom(1)), AnswerOutcome::Listed);
    EXPECT_EQ(list.HandleAnswer(bytes.Build(), table, restarting), AnswerOutcome::Superseded);
    EXPECT_EQ(restarting.shown, 1);
    EXPECT_TRUE(list.Empty());
    // The router answering the new search is listed once, as usual.
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Listed);
    EXPECT_EQ(Handle(bytes.Build()), AnswerOutcome::Repeated);
    EXPECT_EQ(list.Size(), 1u);
}

TEST_F(RouterListTest, MissingTranslationFallsBackToTheEnglishText) {
    LanguageTable empty;
    RouterList other;
    AnswerBytes bytes;
    bytes.propertyText = "[ModelName=" + std::string(35, 'm') + "]";
    EXPECT_EQ(other.HandleAnswer(bytes.Build(), empty, port), AnswerOutcome::Listed);
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].text, "Response string out of range!");
    EXPECT_EQ(port.shown[0].caption, "Error");
}

TEST_F(RouterListTest, RouterInfoFromAnswerSharesTheRowRules) {
    RouterInfo info;
    EXPECT_FALSE(RouterInfoFromAnswer(AnswerFrom(3).substr(0, 67), table, port, info));
    ASSERT_TRUE(RouterInfoFromAnswer(AnswerFrom(3, "DZV-R5730K"), table, port, info));
    EXPECT_EQ(info.modelName, "DZV-R5730K");
    EXPECT_EQ(info.firmwareVersion, "2.1");
    EXPECT_EQ(info.ipAddress, "192.168.1.3");
    EXPECT_EQ(info.macAddress, "00-1A-2B-3C-4D-03");
}

}  // namespace
}  // namespace dezadav
