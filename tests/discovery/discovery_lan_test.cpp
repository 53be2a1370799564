// Discovery through a real (virtual) LAN: routers in their own network namespaces behind a bridge,
// the client in another, the request broadcast inside that LAN only.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "discovery/virtual_lan.h"

#ifndef DEZADAV_DISCOVERY_PROBE_PATH
#error "DEZADAV_DISCOVERY_PROBE_PATH must name the discovery probe"
#endif

namespace dezadav {
namespace {

using testing::CommandResult;
using testing::VirtualLan;

struct Router {
    std::string address;
    std::string model;
    std::string version;
    std::string mac;
};

// The LAN 10.213.7.0/24 exists only inside the test's namespaces.
constexpr const char* kClientAddress = "10.213.7.1/24";
constexpr const char* kDirectedBroadcast = "10.213.7.255";
constexpr const char* kMask = "255.255.255.0";

const std::vector<Router>& LanRouters() {
    static const std::vector<Router> routers = {
        {"10.213.7.11", "DZV-R5730K", "3.1.4", "02-AA-00-00-07-0B"},
        {"10.213.7.12", "DZV-R5830K", "2.0.9", "02-AA-00-00-07-0C"},
        {"10.213.7.13", "DZV-R5430K-EU", "2.2.0", "02-AA-00-00-07-0D"},
    };
    return routers;
}

std::string ConfigFor(const std::vector<Router>& routers) {
    std::string text;
    for (const Router& router : routers) {
        text += "[router]\naddress = " + router.address + "\nmodel = " + router.model +
                "\nversion = " + router.version + "\nmask = " + kMask + "\nmac = " + router.mac + "\n";
    }
    return text;
}

// What the probe printed, split up.
struct ProbeOutput {
    std::vector<std::string> targets;
    int sent = -1;
    std::vector<std::string> rows;  // "model ip mask mac version", tab-separated as printed
    std::vector<std::string> messages;
    bool done = false;
};

ProbeOutput ParseProbe(const std::string& out) {
    ProbeOutput parsed;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("TARGETS", 0) == 0) {
            std::istringstream words(line.substr(7));
            std::string word;
            while (words >> word) parsed.targets.push_back(word);
        } else if (line.rfind("SENT ", 0) == 0) {
            parsed.sent = std::stoi(line.substr(5));
        } else if (line.rfind("ROW ", 0) == 0) {
            parsed.rows.push_back(line.substr(4));
        } else if (line.rfind("MESSAGE ", 0) == 0) {
            parsed.messages.push_back(line.substr(8));
        } else if (line == "DONE") {
            parsed.done = true;
        }
    }
    return parsed;
}

std::vector<std::string> ExpectedRows() {
    std::vector<std::string> rows;
    for (const Router& router : LanRouters()) {
        rows.push_back(router.model + "\t" + router.address + "\t" + kMask + "\t" + router.mac + "\t" +
                       router.version);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

class DiscoveryLanTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string why = VirtualLan::WhyUnavailable();
        if (!why.empty()) GTEST_SKIP() << "virtual LAN test skipped: " << why;
        ASSERT_TRUE(configDir.isValid());
        ASSERT_TRUE(lan.Create()) << lan.Error();
        client = lan.AddHost("client", {kClientAddress});
        ASSERT_FALSE(client.empty()) << lan.Error();

        // One emulator with one router in one namespace, one emulator answering as two routers in
        // another: both kinds of answer travel over the bridge.
        const std::vector<std::vector<Router>> hosts = {{LanRouters()[0]},
                                                        {LanRouters()[1], LanRouters()[2]}};
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            std::vector<std::string> addresses;
            for (const Router& router : hosts[i]) addresses.push_back(router.address + "/24");
            const std::string ns = lan.AddHost("routers" + std::to_string(i), addresses);
            ASSERT_FALSE(ns.empty()) << lan.Error();
            StartEmulator(ns, hosts[i], i);
        }
    }

    void StartEmulator(const std::string& ns, const std::vector<Router>& routers, std::size_t index) {
        const QString configPath = configDir.filePath(QString("routers%1.conf").arg(index));
        QFile config(configPath);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QByteArray::fromStdString(ConfigFor(routers)));
        config.close();
        QProcess* emulator =
            lan.Start(ns, DEZADAV_ROUTERSIM_PATH,
                      {"--config", configPath, "--telnet-port", "0", "--discovery", "0.0.0.0:56415"});
        // Ready once it printed its READY line (bounded).
        std::string out;
        QDeadlineTimer deadline(10000);
        while (out.find("READY") == std::string::npos && !deadline.hasExpired() &&
               emulator->state() != QProcess::NotRunning) {
            emulator->waitForReadyRead(100);
            out += emulator->readAllStandardOutput().toStdString();
        }
        ASSERT_NE(out.find("READY"), std::string::npos)
            << "emulator in " << ns << " did not start: " << emulator->readAllStandardError().toStdString();
    }

    ProbeOutput Probe(const QStringList& args) {
        const CommandResult result =
            lan.Run(client, DEZADAV_DISCOVERY_PROBE_PATH, args + QStringList{"--wait-ms", "1500"});
        EXPECT_TRUE(result.finished) << result.err;
        EXPECT_EQ(result.exitCode, 0) << result.err;
        ProbeOutput output = ParseProbe(result.out);
        EXPECT_TRUE(output.done) << result.out << result.err;
        std::sort(output.rows.begin(), output.rows.end());
        return output;
    }

    QTemporaryDir configDir;
    VirtualLan lan;
    std::string client;
};

TEST_F(DiscoveryLanTest, BroadcastFindsEveryRouterOnceWithItsFields) {
    // An ordinary office PC: its default route points into the LAN.
    ASSERT_TRUE(lan.Ip(client, {"route", "add", "default", "dev", VirtualLan::kHostInterface}))
        << lan.Error();

    const ProbeOutput limited = Probe({"--target", "255.255.255.255"});
    EXPECT_EQ(limited.targets, std::vector<std::string>{"255.255.255.255"});
    EXPECT_EQ(limited.sent, 1);
    EXPECT_EQ(limited.rows, ExpectedRows());

    const ProbeOutput directed = Probe({"--target", kDirectedBroadcast});
    EXPECT_EQ(directed.sent, 1);
    EXPECT_EQ(directed.rows, ExpectedRows());

    // By default both addresses are asked, so every router answers twice and is listed once.
    const ProbeOutput both = Probe({});
    EXPECT_EQ(both.targets, (std::vector<std::string>{"255.255.255.255", kDirectedBroadcast}));
    EXPECT_EQ(both.sent, 2);
    EXPECT_EQ(both.rows, ExpectedRows());
    EXPECT_TRUE(both.messages.empty());

    EXPECT_TRUE(lan.Destroy()) << "namespaces left behind";
}

TEST_F(DiscoveryLanTest, DirectedBroadcastFindsRoutersWhenTheDefaultRouteIsElsewhere) {
    // No route for the limited broadcast (the default route would be a VPN or another card): that
    // send fails, the interface's directed broadcast still reaches the LAN.
    const ProbeOutput limitedOnly = Probe({"--target", "255.255.255.255"});
    EXPECT_EQ(limitedOnly.sent, 0);
    EXPECT_TRUE(limitedOnly.rows.empty());

    const ProbeOutput defaults = Probe({});
    EXPECT_EQ(defaults.targets, (std::vector<std::string>{"255.255.255.255", kDirectedBroadcast}));
    EXPECT_EQ(defaults.sent, 1);
    EXPECT_EQ(defaults.rows, ExpectedRows());
}

}  // namespace
}  // namespace dezadav
