// The discovery answers: which requests are answered and where each field of an answer sits.
#include "discovery_answer.h"

#include <gtest/gtest.h>

#include "discovery/model_rules.h"
#include "settings/router_model.h"

namespace dezadav::routersim {
namespace {

const unsigned char kRequest[12] = {0xDD, 0x80, 0x00, 0x0C, 'Z', 'E', 'Z', 'I', 'D', 'E', 'Z', 0x00};

RouterSetup Router(const std::string& fault = {}) {
    RouterSetup r;
    r.address = "127.0.0.9";
    r.mask = "255.255.255.0";
    r.mac = "0A-1B-2C-3D-4E-5F";
    r.model = "DZV-R5430K";
    r.version = "3.1.4";
    std::string why;
    if (!fault.empty()) {
        EXPECT_TRUE(r.faults.Apply(fault, &why)) << why;
    }
    return r;
}

unsigned char Byte(const std::string& s, size_t i) {
    return static_cast<unsigned char>(s.at(i));
}

TEST(DiscoveryAnswerTest, OnlyTheExactRequestIsAnswered) {
    EXPECT_TRUE(IsDiscoveryRequest(kRequest, 12));
    EXPECT_FALSE(IsDiscoveryRequest(kRequest, 11));
    unsigned char longer[13] = {};
    std::copy(kRequest, kRequest + 12, longer);
    EXPECT_FALSE(IsDiscoveryRequest(longer, 13));
    for (size_t i = 0; i < 12; ++i) {
        unsigned char changed[12];
        std::copy(kRequest, kRequest + 12, changed);
        changed[i] ^= 0x01;
        EXPECT_FALSE(IsDiscoveryRequest(changed, 12)) << "byte " << i;
    }
}

TEST(DiscoveryAnswerTest, AnswerCarriesAddressMaskMacAndPropertiesAtTheirOffsets) {
    std::string a = DiscoveryAnswer(Router());
    const std::string properties = "[ModelName=DZV-R5430K][Version=3.1.4]";
    ASSERT_EQ(a.size(), 66 + properties.size() + 1);
    EXPECT_EQ(Byte(a, 0), 0xDD);
    EXPECT_EQ(Byte(a, 2) * 256 + Byte(a, 3), a.size());
    EXPECT_EQ(std::string(a.data() + 4, 4), std::string("\x7F\x00\x00\x09", 4));
    EXPECT_EQ(std::string(a.data() + 8, 4), std::string("\xFF\xFF\xFF\x00", 4));
    EXPECT_EQ(std::string(a.data() + 12, 6), "\x0A\x1B\x2C\x3D\x4E\x5F");
    // The program takes the property text from byte 66 up to, not including, the last byte.
    EXPECT_EQ(a.substr(66, a.size() - 67), properties);
    EXPECT_EQ(a.back(), '\0');
}

TEST(DiscoveryAnswerTest, FaultsShapeTheAnswers) {
    std::string normal = DiscoveryAnswer(Router());
    auto shortAnswers = DiscoveryAnswers(Router("discovery=short"));
    ASSERT_EQ(shortAnswers.size(), 1u);
    EXPECT_LT(shortAnswers[0].size(), 68u);

    auto big = DiscoveryAnswers(Router("discovery=oversized"));
    ASSERT_EQ(big.size(), 1u);
    EXPECT_GT(big[0].size(), 1000u);
    // The first 1000 bytes, all a reader takes, still hold the router's properties.
    EXPECT_EQ(big[0].substr(4, normal.size() - 5), normal.substr(4, normal.size() - 5));

    auto repeated = DiscoveryAnswers(Router("discovery=repeated"));
    ASSERT_EQ(repeated.size(), 3u);
    for (const auto& r : repeated) EXPECT_EQ(r, normal);

    EXPECT_TRUE(DiscoveryAnswers(Router("discovery=silent")).empty());
    EXPECT_EQ(DiscoveryAnswers(Router("discovery=normal")), std::vector<std::string>{normal});
}

TEST(DiscoveryAnswerTest, DefaultRoutersAreSupportedModelsOfBothForms) {
    auto routers = DefaultRouters();
    ASSERT_EQ(routers.size(), 2u);
    EXPECT_EQ(routers[0].address, "127.0.0.2");
    EXPECT_EQ(routers[1].address, "127.0.0.3");
    EXPECT_TRUE(IsSupportedModel(routers[0].model));
    EXPECT_TRUE(IsSupportedModel(routers[1].model));
    EXPECT_TRUE(IsTwoPortModel(routers[0].model));
    EXPECT_FALSE(IsTwoPortModel(routers[1].model));
    EXPECT_EQ(IsTwoPortModelName(routers[0].model), IsTwoPortModel(routers[0].model));
    EXPECT_EQ(IsTwoPortModelName(routers[1].model), IsTwoPortModel(routers[1].model));
    EXPECT_NE(DiscoveryAnswer(routers[0]).substr(12, 6), DiscoveryAnswer(routers[1]).substr(12, 6));
}

}  // namespace
}  // namespace dezadav::routersim
