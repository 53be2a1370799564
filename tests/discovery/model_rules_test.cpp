#include "discovery/model_rules.h"
#include "settings/router_model.h"

#include <gtest/gtest.h>

namespace dezadav {
namespace {

TEST(SupportedModel, SeventhCharacterFromTheSetAndTenthK) {
    for (char seventh : std::string("38074")) {
        std::string name = "DZV-R5" + std::string(1, seventh) + "30K";
        EXPECT_TRUE(IsSupportedModel(name)) << name;
        EXPECT_TRUE(IsSupportedModel(name + "-EXTRA")) << name;
    }
    for (char seventh : std::string("12569Ax")) {
        const std::string name = "DZV-R5" + std::string(1, seventh) + "30K";
        EXPECT_FALSE(IsSupportedModel(name)) << name;
    }
    EXPECT_FALSE(IsSupportedModel("DZV-R5730k"));  // the K is case-sensitive
    EXPECT_FALSE(IsSupportedModel("DZV-R57300"));
}

TEST(SupportedModel, NamesTooShortAreRefusedLikeAnyOther) {
    for (std::string_view name : {"", "DZV", "DZV-R5", "DZV-R57", "DZV-R573", "DZV-R5730"}) {
        EXPECT_FALSE(IsSupportedModel(name)) << name;
    }
}

TEST(TwoPortModel, EitherMarkerAnywhereCaseSensitive) {
    EXPECT_TRUE(IsTwoPortModel("DZV-R5730K"));
    EXPECT_TRUE(IsTwoPortModel("5430K"));
    EXPECT_TRUE(IsTwoPortModel("X5430KY"));
    EXPECT_FALSE(IsTwoPortModel("DZV-R5830K"));
    EXPECT_FALSE(IsTwoPortModel("DZV-R5730k"));
    EXPECT_FALSE(IsTwoPortModel("5730"));
    EXPECT_FALSE(IsTwoPortModel(""));
}

}  // namespace
}  // namespace dezadav
