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
    EXPECT_EQ(DiscoveryTargets(std::string("127.0.0.1"), {"192.168.1.255"}), std::vector<std::string>{"127.0.0.1"});
}

}  // namespace
}  // namespace dezadav
