// Discovery under abuse, over a real UDP socket on loopback: a burst of 10,000 answers, datagrams of
// every length from 0 to 1200 bytes, random bytes, and property texts without brackets or
// separators. The list stays bounded, every row it lists is well formed, the event loop keeps
// running through the burst, and the next search works.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <atomic>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "discovery/discovery_socket.h"
#include "discovery/router_list.h"
#include "discovery/router_search.h"
#include "support/english_language.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"

namespace dezadav::testing {
namespace {

constexpr std::size_t kBurst = 10000;

bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

// A plain UDP sender on loopback, usable from another thread.
class Sender {
public:
    explicit Sender(uint16_t port) : m_fd(::socket(AF_INET, SOCK_DGRAM, 0)) {
        m_to.sin_family = AF_INET;
        m_to.sin_port = htons(port);
        m_to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~Sender() { ::close(m_fd); }
    bool Send(const std::string& bytes) const {
        return ::sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&m_to),
                        sizeof m_to) == static_cast<ssize_t>(bytes.size());
    }

private:
    int m_fd;
    sockaddr_in m_to{};
};

// An answer from router number `n` (its MAC address and IPv4 address are derived from n), with the
// given property text, padded with zero bytes to `length` when that is longer.
std::string Answer(uint32_t n, const std::string& properties, std::size_t length = 0) {
    std::string bytes(4, '\xDD');
    const unsigned char ip[4] = {10, static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 8),
                                 static_cast<unsigned char>(n)};
    bytes.append(reinterpret_cast<const char*>(ip), 4);
    bytes.append("\xFF\xFF\xFF\x00", 4);
    const unsigned char mac[6] = {0x02,
                                  0x00,
                                  static_cast<unsigned char>(n >> 24),
                                  static_cast<unsigned char>(n >> 16),
                                  static_cast<unsigned char>(n >> 8),
                                  static_cast<unsigned char>(n)};
    bytes.append(reinterpret_cast<const char*>(mac), 6);
    bytes.append(48, '\0');
    bytes += properties;
    bytes += '\0';
    if (bytes.size() < length) bytes.resize(length, '\0');
    return bytes;
}

std::string MacOf(uint32_t n) {
    char text[32];
    std::snprintf(text, sizeof text, "02-00-%02X-%02X-%02X-%02X", (n >> 24) & 255, (n >> 16) & 255,
                  (n >> 8) & 255, n & 255);
    return text;
}

// The rules every listed row keeps, whatever came in.
void ExpectWellFormed(const RouterInfo& row) {
    static const std::regex dotted(R"(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})");
    static const std::regex mac(R"([0-9A-F]{2}(-[0-9A-F]{2}){5})");
    EXPECT_TRUE(std::regex_match(row.ipAddress, dotted)) << row.ipAddress;
    EXPECT_TRUE(std::regex_match(row.subnetMask, dotted)) << row.subnetMask;
    EXPECT_TRUE(std::regex_match(row.macAddress, mac)) << row.macAddress;
    EXPECT_LE(row.modelName.size(), 35u);
    EXPECT_LE(row.firmwareVersion.size(), 23u);
    EXPECT_EQ(std::string::npos, row.modelName.find('\0'));
    EXPECT_EQ(std::string::npos, row.firmwareVersion.find('\0'));
    EXPECT_TRUE(row.password.empty());
}

class DiscoveryAbuseTest : public ::testing::Test {
protected:
    void SetUp() override {
        socket.SetHandler([this](std::string_view datagram) {
            received.push_back(datagram.size());
            outcomes.push_back(list.HandleAnswer(datagram, table, port));
            ++handled;
        });
        ASSERT_TRUE(socket.Create(table, port));
        ASSERT_NE(0, socket.LocalPort());
    }

    // Sends each datagram and waits (bounded) until the socket has handed it over, so that the kernel
    // never has to drop one and every datagram can be accounted for.
    void SendPaced(const std::vector<std::string>& datagrams, std::size_t batch) {
        Sender sender(socket.LocalPort());
        for (std::size_t at = 0; at < datagrams.size(); at += batch) {
            const std::size_t end = std::min(datagrams.size(), at + batch);
            for (std::size_t i = at; i < end; ++i) ASSERT_TRUE(sender.Send(datagrams[i]));
            const std::size_t expected = handledBefore + end;
            ASSERT_TRUE(SpinUntil([&] { return handled >= expected; })) << handled << " of " << expected;
        }
    }

    LanguageTable table = ShippedEnglish();
    RecordingMessagePort port;
    CDiscoverySocket socket;
    RouterList list;
    std::vector<std::size_t> received;
    std::vector<AnswerOutcome> outcomes;
    std::size_t handled = 0;
    std::size_t handledBefore = 0;
};

// 10,000 different routers answer in a stream: the first 256 are listed in order, every later one is
// dropped without a message, and none is lost on the way.
TEST_F(DiscoveryAbuseTest, TenThousandAnswersFillTheListToItsCapAndNoFurther) {
    std::vector<std::string> answers;
    for (uint32_t n = 0; n < kBurst; ++n) answers.push_back(Answer(n, "[ModelName=DZV-R5730K][Version=1.0]"));
    SendPaced(answers, 200);
    ASSERT_EQ(kBurst, handled);
    ASSERT_EQ(RouterList::kMaxRows, list.Size());
    for (std::size_t i = 0; i < list.Size(); ++i) {
        EXPECT_EQ(MacOf(static_cast<uint32_t>(i)), list.Rows()[i].macAddress);
        EXPECT_EQ("DZV-R5730K", list.Rows()[i].modelName);
    }
    std::size_t full = 0;
    for (AnswerOutcome outcome : outcomes) full += outcome == AnswerOutcome::ListFull;
    EXPECT_EQ(kBurst - RouterList::kMaxRows, full);
    EXPECT_TRUE(port.shown.empty());
}

// The same number unpaced, from another thread, while a timer runs on the event loop: the timer
// keeps firing through the burst (the socket hands over a bounded number of datagrams per turn of
// the loop), the list never grows past its cap, and a search afterwards finds the real routers.
TEST(DiscoveryFloodTest, UnpacedBurstKeepsTheEventLoopTurningAndTheListBounded) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    LanguageTable table = ShippedEnglish();
    RecordingMessagePort port;
    RouterSearch search(table, port);
    search.Socket().SetTarget(sim.DiscoveryAddress());
    search.Socket().SetPort(sim.DiscoveryPort());
    ASSERT_TRUE(search.Open());

    std::size_t listed = 0;
    std::size_t largestStep = 0;  // most rows listed between two timer ticks
    std::size_t listedAtTick = 0;
    int ticks = 0;
    QObject::connect(&search, &RouterSearch::RouterListed, [&](int) { ++listed; });
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        largestStep = std::max(largestStep, listed - listedAtTick);
        listedAtTick = listed;
    });
    timer.start();

    std::atomic<bool> sent{false};
    std::thread flood([&sent, port = search.Socket().LocalPort()] {
        Sender sender(port);
        for (uint32_t n = 0; n < kBurst; ++n) sender.Send(Answer(n, "[ModelName=DZV-R5830K][Version=9]"));
        sent = true;
    });
    SpinUntil([&] { return sent.load(); }, 60000);
    flood.join();
    // What is still queued is drained within a few turns of the loop.
    for (int turn = 0; turn < 50; ++turn) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    timer.stop();

    EXPECT_TRUE(sent.load());
    EXPECT_GT(listed, 0u);
    EXPECT_LE(search.Rows().size(), RouterList::kMaxRows);
    EXPECT_EQ(listed, search.Rows().size());
    std::set<std::string> macs;
    for (const RouterInfo& row : search.Rows()) {
        ExpectWellFormed(row);
        EXPECT_EQ("DZV-R5830K", row.modelName);
        EXPECT_TRUE(macs.insert(row.macAddress).second) << "listed twice: " << row.macAddress;
    }
    EXPECT_GT(ticks, 0);
    EXPECT_LE(largestStep, 256u);
    EXPECT_TRUE(port.shown.empty());

    // The next search lists the emulated routers.
    search.Start();
    EXPECT_TRUE(SpinUntil([&] {
        int found = 0;
        for (const RouterInfo& row : search.Rows())
            found += row.ipAddress == "127.0.0.2" || row.ipAddress == "127.0.0.3";
        return found == 2;
    }));
}

// Every length from 0 to 1200 bytes: each datagram is handed over whole up to 1000 bytes and cut
// there; those below 68 bytes are dropped silently, every longer one is listed.
TEST_F(DiscoveryAbuseTest, EveryLengthFromZeroToTwelveHundredBytes) {
    std::vector<std::string> datagrams;
    for (std::size_t length = 0; length <= 1200; ++length) {
        std::string bytes = Answer(static_cast<uint32_t>(length), "[ModelName=DZV-R5730K][Version=2.0]");
        bytes.resize(length, 'p');
        datagrams.push_back(bytes);
    }
    // A new search whenever the list is nearly full, so that every answer can be listed.
    socket.SetHandler([this](std::string_view datagram) {
        if (list.Size() == RouterList::kMaxRows) list.StartSearch();
        received.push_back(datagram.size());
        outcomes.push_back(list.HandleAnswer(datagram, table, port));
        if (outcomes.back() == AnswerOutcome::Listed) ExpectWellFormed(list.Rows().back());
        ++handled;
    });
    SendPaced(datagrams, 1);
    ASSERT_EQ(datagrams.size(), handled);
    for (std::size_t length = 0; length <= 1200; ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(std::min<std::size_t>(length, 1000), received[length]);
        EXPECT_EQ(length < 68 ? AnswerOutcome::TooShort : AnswerOutcome::Listed, outcomes[length]);
    }
    EXPECT_TRUE(port.shown.empty());
}

// Random bytes of random lengths: nothing listed breaks the row rules, and the only message ever
// shown is the one for an over-long property, at most twice per answer.
TEST_F(DiscoveryAbuseTest, RandomBytesNeverYieldABrokenRow) {
    std::mt19937 random(20240607);
    std::vector<std::string> datagrams;
    for (int i = 0; i < 3000; ++i) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 1200)(random), '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        // A third of them with bracketed entries in the text, so that the lookup has work to do.
        if (i % 3 == 0 && bytes.size() > 120)
            bytes.replace(66, 40, "[ModelName=" + std::string(28, 'M') + "]");
        datagrams.push_back(bytes);
    }
    std::size_t messagesBefore = 0;
    socket.SetHandler([&](std::string_view datagram) {
        if (list.Size() == RouterList::kMaxRows) list.StartSearch();
        messagesBefore = port.shown.size();
        const AnswerOutcome outcome = list.HandleAnswer(datagram, table, port);
        outcomes.push_back(outcome);
        EXPECT_LE(port.shown.size() - messagesBefore, 2u);
        if (outcome == AnswerOutcome::Listed) ExpectWellFormed(list.Rows().back());
        ++handled;
    });
    SendPaced(datagrams, 100);
    ASSERT_EQ(datagrams.size(), handled);
    for (const auto& shown : port.shown) {
        EXPECT_EQ("Error", shown.caption);
        EXPECT_EQ("Response string out of range!", shown.text);
    }
    std::size_t listedCount = 0;
    for (AnswerOutcome outcome : outcomes) listedCount += outcome == AnswerOutcome::Listed;
    EXPECT_GT(listedCount, 1000u);
}

// Property texts that are not a run of bracketed "name=value" entries.
TEST_F(DiscoveryAbuseTest, PropertyTextsWithoutBracketsOrSeparators) {
    struct Case {
        std::string text;
        std::string model;
        std::string version;
    };
    const std::vector<Case> cases{
        {"ModelName=DZV-R5730K Version=1.0", "", ""},
        {"ModelName:DZV-R5730K,Version:1.0", "", ""},
        {"[ModelName DZV-R5730K][Version 1.0]", "", ""},
        {"[ModelName=DZV-R5730K", "", ""},
        {"ModelName=DZV-R5730K]", "", ""},
        {"]]]][[[[", "", ""},
        {std::string(900, '['), "", ""},
        {std::string(900, ']'), "", ""},
        {std::string(900, '='), "", ""},
        {std::string(900, ':'), "", ""},
        {"[=][:][Version=3]", "", "3"},
        {"[ModelName=][Version=]", "", ""},
        {"[[ModelName=X]][Version=1]", "X", "1"},
        {"[ModelName=A=B:C][Version::]", "C", ""},
        {std::string(500, ' '), "", ""},
    };
    std::vector<std::string> datagrams;
    for (std::size_t i = 0; i < cases.size(); ++i)
        datagrams.push_back(Answer(static_cast<uint32_t>(i), cases[i].text));
    SendPaced(datagrams, 1);
    ASSERT_EQ(cases.size(), list.Size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].text.substr(0, 40));
        ExpectWellFormed(list.Rows()[i]);
        EXPECT_EQ(cases[i].model, list.Rows()[i].modelName);
        EXPECT_EQ(cases[i].version, list.Rows()[i].firmwareVersion);
    }
    EXPECT_TRUE(port.shown.empty());
}

}  // namespace
}  // namespace dezadav::testing
