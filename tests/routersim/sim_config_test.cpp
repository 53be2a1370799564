// The emulator's options and config file.
#include "sim_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

#include "emulated_router.h"

namespace dezadav::routersim {
namespace {

bool Parse(const std::vector<std::string>& args, SimOptions& o, std::string& why) {
    return ParseSimOptions(args, o, &why);
}

TEST(SimConfigTest, DefaultsServeTwoRoutersOnTheDefaultPorts) {
    SimOptions o;
    std::string why;
    ASSERT_TRUE(Parse({}, o, why)) << why;
    ASSERT_EQ(o.routers.size(), 2u);
    EXPECT_EQ(o.telnetPort, 2323);
    EXPECT_EQ(o.discoveryAddress, "127.0.0.1");
    EXPECT_EQ(o.discoveryPort, 56415);
    EXPECT_EQ(o.routers[0].password, "admin");
    EXPECT_EQ(o.routers[0].prompt, o.routers[0].model);
}

TEST(SimConfigTest, ManyRoutersTakeConsecutiveAddressesAndAddressesOfTheirOwn) {
    SimOptions o;
    std::string why;
    ASSERT_TRUE(Parse({"--routers", "256", "--fault", "127.0.1.1:trickle=5"}, o, why)) << why;
    ASSERT_EQ(o.routers.size(), 256u);
    EXPECT_EQ(o.routers[253].address, "127.0.0.255");
    EXPECT_EQ(o.routers[254].address, "127.0.1.0");
    EXPECT_EQ(o.routers[255].address, "127.0.1.1");
    EXPECT_EQ(o.routers[255].faults.trickleMs, 5);
    EXPECT_EQ(o.routers[254].faults.trickleMs, 0);
    EXPECT_NE(o.routers[0].model, o.routers[1].model);
    std::set<std::string> macs;
    for (const auto& r : o.routers) macs.insert(r.mac);
    EXPECT_EQ(macs.size(), 256u);
    EXPECT_FALSE(Parse({"--routers", "0"}, o, why));
}

TEST(SimConfigTest, FaultsHitTheNamedRouterOrEveryRouter) {
    SimOptions o;
    std::string why;
    ASSERT_TRUE(Parse({"--fault", "127.0.0.3:slow-echo=40", "--fault", "silent-in=voip sip port", "--fault",
                       "127.0.0.2:discovery=repeated", "--router", "127.0.0.7,DZV-R5430K,pw"},
                      o, why))
        << why;
    ASSERT_EQ(o.routers.size(), 3u);
    EXPECT_EQ(o.routers[0].faults.slowEchoMs, 0);
    EXPECT_EQ(o.routers[1].faults.slowEchoMs, 40);
    for (const auto& r : o.routers) EXPECT_TRUE(FaultSet::Hits(r.faults.silentIn, "voip sip port 1"));
    EXPECT_EQ(o.routers[0].faults.discovery, DiscoveryFault::Repeated);
    EXPECT_EQ(o.routers[1].faults.discovery, DiscoveryFault::None);
    EXPECT_EQ(o.routers[2].password, "pw");
    EXPECT_FALSE(o.routers[2].mac.empty());
}

TEST(SimConfigTest, BadOptionsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--fault", "127.0.0.9:iac-greeting"},  // no such router
        {"--fault", "slow-echo=fast"},
        {"--fault", "iac-greeting=1"},
        {"--fault", "frobnicate"},
        {"--fault", "silent-in="},
        {"--telnet-port", "70000"},
        {"--discovery", "localhost"},
        {"--router", "127.0.0.2,DZV-R5730K"},  // address taken
        {"--router", "127.0.0.8,Bad>Name"},    // '>' would make a false prompt
        {"--router", "not-an-address,DZV-R5730K"},
        {"--bogus"},
        {"--config", "/nonexistent/routers.conf"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string why;
        EXPECT_FALSE(Parse(args, o, why)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(why.empty());
    }
}

TEST(SimConfigTest, ConfigFileDefinesRoutersTheirStartSettingsAndOptions) {
    const std::string text =
        "# two routers\n"
        "[emulator]\n"
        "telnet-port = 0\n"
        "discovery = 127.0.0.1:0\n"
        "[router]\n"
        "address = 127.0.0.4\n"
        "model = DZV-R5430K-Lab\n"
        "password = s3cret\n"
        "prompt = lab\n"
        "settings = empty\n"
        "command = voip dial_plan set 14 1400 desk 10.9.9.9 1\n"
        "command = voip sip port 5090\n"
        "call = 05-06-2024 07:08:09 33 IN 10.9.9.9 5060\n"
        "fault = garbage-in=voip sip calllog\n"
        "\n"
        "[router]\n"
        "address = 127.0.0.5\n"
        "model = DZV-R5830K\n";
    std::string path = ::testing::TempDir() + "routersim_config_test.conf";
    std::ofstream(path) << text;
    SimOptions o;
    std::string why;
    ASSERT_TRUE(Parse({"--config", path, "--telnet-port", "2400"}, o, why)) << why;
    std::remove(path.c_str());
    ASSERT_EQ(o.routers.size(), 2u);  // a config file replaces the default routers
    EXPECT_EQ(o.telnetPort, 2400);    // the command line wins over the file
    EXPECT_EQ(o.discoveryPort, 0);
    EmulatedRouter lab;
    ASSERT_TRUE(lab.Init(o.routers[0], &why)) << why;
    EXPECT_TRUE(lab.state.twoPort);
    EXPECT_EQ(lab.setup.prompt, "lab");
    EXPECT_EQ(lab.state.sipPort, "5090");
    int inUse = 0;
    for (const auto& e : lab.state.dialPlan) inUse += e.InUse() ? 1 : 0;
    EXPECT_EQ(inUse, 1);
    EXPECT_EQ(lab.state.dialPlan[13].user, "desk");
    ASSERT_EQ(lab.state.calls.size(), 1u);
    EXPECT_EQ(lab.state.calls[0].address, "10.9.9.9 5060");
    EXPECT_TRUE(FaultSet::Hits(lab.setup.faults.garbageIn, "voip sip calllog"));
    EmulatedRouter plain;
    ASSERT_TRUE(plain.Init(o.routers[1], &why)) << why;
    EXPECT_FALSE(plain.state.twoPort);
    EXPECT_FALSE(plain.state.calls.empty());

    for (const char* broken :
         {"address = 127.0.0.4\n", "[router]\nshape = round\n", "[router]\nsettings = some\n",
          "[emulator]\ntelnet-port = x\n", "[router]\naddress 127.0.0.4\n"}) {
        SimOptions b;
        EXPECT_FALSE(ParseConfigText(broken, b, &why)) << broken;
    }
    RouterSetup refused = o.routers[0];
    refused.commands = {"voip dial_plan set 99 1 a b 1"};
    EmulatedRouter r;
    EXPECT_FALSE(r.Init(refused, &why));
}

TEST(SimConfigTest, CallsAddedWhileRunningGetTimesOfTheirOwn) {
    EmulatedRouter r;
    std::string why;
    ASSERT_TRUE(r.Init(DefaultRouters()[0], &why)) << why;
    r.AddCallAt(1700000000, "1", "IN", "a 1");
    r.AddCallAt(1700000000, "2", "OUT", "b");
    r.AddCallAt(1699999990, "3", "OUT", "c");
    ASSERT_GE(r.state.calls.size(), 3u);
    std::string stamps[3];
    for (int i = 0; i < 3; ++i) stamps[i] = r.state.calls[i].date + " " + r.state.calls[i].time;
    EXPECT_NE(stamps[0], stamps[1]);
    EXPECT_NE(stamps[1], stamps[2]);
    EXPECT_NE(stamps[0], stamps[2]);
    EXPECT_EQ(r.state.calls[0].duration, "3");
}

}  // namespace
}  // namespace dezadav::routersim
