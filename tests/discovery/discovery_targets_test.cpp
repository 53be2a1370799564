#include "discovery/discovery_targets.h"

#include <gtest/gtest.h>

#include "discovery/discovery_datagram.h"

namespace dezadav {
namespace {

const std::string kLimited(kLimitedBroadcastAddress);

TEST(DiscoveryTargets, LimitedBroadcastFirstThenEachDirectedBroadcastOnce) {
    const std::vector<std::string> targets =
        DiscoveryTargets(std::nullopt, {"192.168.1.255", "", "10.0.255.255", "192.168.1.255", kLimited});
    EXPECT_EQ(targets, (std::vector<std::string>{kLimited, "192.168.1.255", "10.0.255.255"}));
}

TEST(DiscoveryTargets, WithoutInterfacesOnlyTheLimitedBroadcast) {
    EXPECT_EQ(DiscoveryTargets(std::nullopt, {}), std::vector<std::string>{kLimited});
}

TEST(DiscoveryTargets, ExplicitTargetReplacesEveryBroadcast) {
    EXPECT_EQ(DiscoveryTargets(std::string("127.0.0.1"), {"192.168.1.255"}),
              std::vector<std::string>{"127.0.0.1"});
}

TEST(DottedIpv4Address, AcceptsOnlyFourPlainDecimalOctets) {
    for (std::string_view good : {"0.0.0.0", "127.0.0.1", "255.255.255.255", "10.200.3.99"}) {
        EXPECT_TRUE(IsDottedIpv4Address(good)) << good;
    }
    for (std::string_view bad :
         {"", "127.0.0", "127.1", "1.2.3.4.5", "256.1.1.1", "1.2.3.04", "1.2.3.4 ", " 1.2.3.4", "1..2.3",
          "1.2.3.", "a.b.c.d", "1.2.3.4:80", "1234.1.1.1", "::1", "0x7f.0.0.1",
          "010.1.1.1", "1.2.3.00", "1.2.3.0004", "-1.2.3.4", "+1.2.3.4", "1.2.3.4\n"}) {
        EXPECT_FALSE(IsDottedIpv4Address(bad)) << bad;
    }
}

}  // namespace
}  // namespace dezadav
