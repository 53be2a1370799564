// Searches answered by the router emulator on loopback, one process answering as several routers.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <map>

#include "discovery/loopback_peer.h"
#include "discovery/model_rules.h"
#include "settings/router_model.h"
#include "discovery/router_search.h"
#include "support/recording_message_port.h"
#include "support/routersim_process.h"

namespace dezadav {
namespace {

using testing::RecordingMessagePort;
using testing::RouterSimProcess;
using testing::SpinUntil;

// Runs one search against the emulator and collects answers until `expected` routers are listed,
// then lets the loop run a little longer so that a duplicate or stray row would show too.
std::vector<RouterInfo> SearchEmulator(const RouterSimProcess& sim, std::size_t expected,
                                       RecordingMessagePort& port) {
    static const LanguageTable table;
    RouterSearch search(table, port);
    search.Socket().SetTarget(sim.DiscoveryAddress());
    search.Socket().SetPort(sim.DiscoveryPort());
    EXPECT_TRUE(search.Open());
    EXPECT_EQ(search.Start(), 1);
    SpinUntil([&] { return search.Rows().size() >= expected; });
    SpinUntil([] { return false; }, 300);
    return search.Rows();
}

std::map<std::string, RouterInfo> ByAddress(const std::vector<RouterInfo>& rows) {
    std::map<std::string, RouterInfo> byAddress;
    for (const RouterInfo& row : rows) byAddress[row.ipAddress] = row;
    return byAddress;
}

TEST(RouterSearchEmulator, FindsBothDefaultRoutersOnceAndTellsTheirForms) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    RecordingMessagePort port;
    const std::vector<RouterInfo> rows = SearchEmulator(sim, 2, port);
    ASSERT_EQ(rows.size(), 2u);
    const auto byAddress = ByAddress(rows);
    ASSERT_EQ(byAddress.count("127.0.0.2"), 1u);
    ASSERT_EQ(byAddress.count("127.0.0.3"), 1u);
    const RouterInfo& twoPort = byAddress.at("127.0.0.2");
    const RouterInfo& onePort = byAddress.at("127.0.0.3");
    EXPECT_EQ(twoPort.modelName, "DZV-R5730K");
    EXPECT_EQ(onePort.modelName, "DZV-R5830K");
    EXPECT_TRUE(IsSupportedModel(twoPort.modelName) && IsSupportedModel(onePort.modelName));
    EXPECT_TRUE(IsTwoPortModel(twoPort.modelName));
    EXPECT_FALSE(IsTwoPortModel(onePort.modelName));
    EXPECT_NE(twoPort.macAddress, onePort.macAddress);
    for (const RouterInfo& row : rows) {
        EXPECT_FALSE(row.firmwareVersion.empty());
        EXPECT_FALSE(row.subnetMask.empty());
        EXPECT_TRUE(row.password.empty());
    }
    EXPECT_TRUE(port.shown.empty());
}

class RouterSearchEmulatorConfig : public ::testing::Test {
protected:
    // Starts the emulator with the routers of `config` instead of its default ones.
    std::unique_ptr<RouterSimProcess> Start(const std::string& config) {
        EXPECT_TRUE(dir.isValid());
        const QString path = dir.filePath("routers.conf");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(config));
        file.close();
        return std::make_unique<RouterSimProcess>(std::vector<std::string>{"--config", path.toStdString()});
    }

    QTemporaryDir dir;
};

TEST_F(RouterSearchEmulatorConfig, EveryFieldArrivesAsTheRouterAnnouncesIt) {
    const auto sim = Start(
        "[router]\naddress = 127.0.0.21\nmodel = DZV-R5430K\nversion = V4.0.1b\nmask = 255.255.254.0\n"
        "mac = 0a-1b-2c-3d-4e-5f\n"
        "[router]\naddress = 127.0.0.22\nmodel = OTHER-1\nversion = 0.9\nmask = 255.0.0.0\nmac = "
        "02-00-00-00-00-16\n"
        "[router]\naddress = 127.0.0.23\nmodel = " +
        std::string(35, 'N') + "\nversion = " + std::string(30, 'v') +
        "\nmask = 255.255.255.255\nmac = FE-DC-BA-98-76-54\n");
    ASSERT_TRUE(sim->IsRunning());
    RecordingMessagePort port;
    const auto byAddress = ByAddress(SearchEmulator(*sim, 3, port));
    ASSERT_EQ(byAddress.size(), 3u);

    const RouterInfo& first = byAddress.at("127.0.0.21");
    EXPECT_EQ(first.modelName, "DZV-R5430K");
    EXPECT_EQ(first.firmwareVersion, "V4.0.1b");
    EXPECT_EQ(first.subnetMask, "255.255.254.0");
    EXPECT_EQ(first.macAddress, "0A-1B-2C-3D-4E-5F");

    const RouterInfo& unsupported = byAddress.at("127.0.0.22");
    EXPECT_EQ(unsupported.modelName, "OTHER-1");  // listed; only the dialog refuses it
    EXPECT_FALSE(IsSupportedModel(unsupported.modelName));

    // Both values out of range: two messages, values cut to 35 and 23 characters.
    const RouterInfo& tooLong = byAddress.at("127.0.0.23");
    EXPECT_EQ(tooLong.modelName, std::string(35, 'N'));
    EXPECT_EQ(tooLong.firmwareVersion, std::string(23, 'v'));
    EXPECT_EQ(tooLong.subnetMask, "255.255.255.255");
    EXPECT_EQ(port.shown.size(), 2u);
}

TEST_F(RouterSearchEmulatorConfig, MalformedAnswersAreHandledRouterByRouter) {
    const auto sim = Start(
        "[router]\naddress = 127.0.0.31\nmodel = DZV-R5730K\nmac = 02-00-00-00-00-1F\nfault = "
        "discovery=short\n"
        "[router]\naddress = 127.0.0.32\nmodel = DZV-R5830K\nmac = 02-00-00-00-00-20\nfault = "
        "discovery=oversized\n"
        "[router]\naddress = 127.0.0.33\nmodel = DZV-R5030K\nmac = 02-00-00-00-00-21\nfault = "
        "discovery=repeated\n"
        "[router]\naddress = 127.0.0.34\nmodel = DZV-R5330K\nmac = 02-00-00-00-00-22\nfault = "
        "discovery=silent\n"
        "[router]\naddress = 127.0.0.35\nmodel = DZV-R5430K\nmac = 02-00-00-00-00-23\n");
    ASSERT_TRUE(sim->IsRunning());
    RecordingMessagePort port;
    const auto byAddress = ByAddress(SearchEmulator(*sim, 3, port));
    // The short answer is dropped, the silent router never answers, the oversized answer is read
    // up to its first 1000 bytes, the thrice-repeated answer is listed once.
    EXPECT_EQ(byAddress.count("127.0.0.31"), 0u);
    EXPECT_EQ(byAddress.count("127.0.0.34"), 0u);
    ASSERT_EQ(byAddress.count("127.0.0.32"), 1u);
    ASSERT_EQ(byAddress.count("127.0.0.33"), 1u);
    ASSERT_EQ(byAddress.count("127.0.0.35"), 1u);
    EXPECT_EQ(byAddress.size(), 3u);
    EXPECT_EQ(byAddress.at("127.0.0.32").modelName, "DZV-R5830K");
    EXPECT_EQ(byAddress.at("127.0.0.33").macAddress, "02-00-00-00-00-21");
    EXPECT_TRUE(port.shown.empty());
}

// A site's routers all answer the one request at the same moment. The search is held busy (as a
// window painting rows would be) while the whole burst arrives, so every answer must wait in the
// socket's buffer: all are listed, or, where the system grants too small a buffer, the user is told
// that answers were lost. Oversized answers make each queued answer cost the system about what one
// from a network card does (a loopback datagram of the usual size costs a fifth of that).
TEST(RouterSearchEmulator, ABurstOf256AnswersIsListedWhole) {
    constexpr int kRouters = CDiscoverySocket::kBurstAnswers;
    RouterSimProcess sim({"--routers", std::to_string(kRouters), "--fault", "discovery=oversized"});
    ASSERT_TRUE(sim.IsRunning());
    const LanguageTable table;
    RecordingMessagePort port;
    RouterSearch search(table, port);
    search.Socket().SetTarget(sim.DiscoveryAddress());
    search.Socket().SetPort(sim.DiscoveryPort());
    ASSERT_TRUE(search.Open());
    ASSERT_EQ(search.Start(), 1);
    QThread::msleep(500);
    SpinUntil([&] { return search.Rows().size() >= kRouters || !port.shown.empty(); });
    SpinUntil([] { return false; }, 300);

    const bool bufferHoldsTheBurst = search.Socket().ReceiveBufferBytes() >= kRouters * 4096;
    if (bufferHoldsTheBurst) {
        EXPECT_EQ(ByAddress(search.Rows()).size(), static_cast<std::size_t>(kRouters));
        EXPECT_EQ(search.Rows().size(), static_cast<std::size_t>(kRouters));
        EXPECT_TRUE(port.shown.empty());
    } else {
        // Too small a buffer granted here (no rights above net.core.rmem_max): the loss is reported.
        ASSERT_LT(search.Rows().size(), static_cast<std::size_t>(kRouters));
        ASSERT_EQ(port.shown.size(), 1u);
        EXPECT_NE(port.shown[0].text.find("Search again"), std::string::npos);
    }
}

TEST(RouterSearchEmulator, SearchRoutersStopsOnceTheRouterAtOneAddressAnswered) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    LanguageTable table;
    RecordingMessagePort port;
    SearchOptions options;
    options.target = sim.DiscoveryAddress();
    options.port = sim.DiscoveryPort();
    options.waitMs = 20000;
    options.stopAfter = 2;
    const auto rows = SearchRouters(options, table, port);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2u);
    std::vector<std::string> models{(*rows)[0].modelName, (*rows)[1].modelName};
    std::sort(models.begin(), models.end());
    EXPECT_EQ(models, (std::vector<std::string>{"DZV-R5730K", "DZV-R5830K"}));
}

}  // namespace
}  // namespace dezadav
