#include "text/decimal_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace dezadav {
namespace {

TEST(ReadDigitRunTest, DigitsOnlyWithTheirCount) {
    EXPECT_EQ(ReadDigitRun("0255.1").length, 4u);
    EXPECT_EQ(ReadDigitRun("0255.1").value, 255);
    EXPECT_EQ(ReadDigitRun("+1").length, 0u);
    EXPECT_EQ(ReadDigitRun(" 1").length, 0u);
    const DigitRun huge = ReadDigitRun(std::string(400, '9'));
    EXPECT_EQ(huge.length, 400u);
    EXPECT_GT(huge.value, INT32_MAX);
}

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

}  // namespace
}  // namespace dezadav
