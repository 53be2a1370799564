#include "settings/sip_codec_row_text.h"

#include <gtest/gtest.h>

namespace dezadav {
namespace {

TEST(JoinRowFieldsTest, CommaJoinedWithCrLf) {
    EXPECT_EQ(JoinRowFields({"a", "", "b,c"}), "a,,\"b,c\"\r\n");
    EXPECT_EQ(JoinRowFields({}), "\r\n");
}

}  // namespace
}  // namespace dezadav
