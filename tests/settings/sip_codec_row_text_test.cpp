#include "settings/sip_codec_row_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace dezadav {
namespace {

TEST(ReadLeadingDecimalTest, SignThenDigits) {
    EXPECT_EQ(ReadLeadingDecimal("42"), 42);
    EXPECT_EQ(ReadLeadingDecimal("-17abc"), -17);
    EXPECT_EQ(ReadLeadingDecimal("+8"), 8);
    EXPECT_EQ(ReadLeadingDecimal("abc"), 0);
    EXPECT_EQ(ReadLeadingDecimal(""), 0);
    EXPECT_EQ(ReadLeadingDecimal("-"), 0);
    EXPECT_EQ(ReadLeadingDecimal(" 5"), 0);
    EXPECT_EQ(ReadLeadingDecimal("007"), 7);
}

TEST(ReadLeadingDecimalTest, SaturatesInsteadOfWrapping) {
    EXPECT_EQ(ReadLeadingDecimal("2147483647"), INT32_MAX);
    EXPECT_EQ(ReadLeadingDecimal("2147483648"), INT32_MAX);
    EXPECT_EQ(ReadLeadingDecimal("4294967297"), INT32_MAX);
    EXPECT_EQ(ReadLeadingDecimal("-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadLeadingDecimal("-2147483649"), INT32_MIN);
    EXPECT_EQ(ReadLeadingDecimal(std::string(400, '9')), INT32_MAX);
}

TEST(JoinRowFieldsTest, CommaJoinedWithCrLf) {
    EXPECT_EQ(JoinRowFields({"a", "", "b,c"}), "a,,b,c\r\n");
    EXPECT_EQ(JoinRowFields({}), "\r\n");
}

}  // namespace
}  // namespace dezadav
