#include "discovery/discovery_datagram.h"

#include <gtest/gtest.h>

#include "discovery/answer_bytes.h"

namespace dezadav {
namespace {

using testing::AnswerBytes;

TEST(DiscoveryRequest, IsTwelveBytesCarryingItsLengthAndTheCompanyName) {
    const std::string request = BuildDiscoveryRequest();
    ASSERT_EQ(request.size(), kDiscoveryRequestSize);
    EXPECT_EQ(static_cast<unsigned char>(request[0]), 0xDD);
    EXPECT_EQ(static_cast<unsigned char>(request[1]), 0x80);
    const unsigned declaredLength =
        static_cast<unsigned char>(request[2]) * 256u + static_cast<unsigned char>(request[3]);
    EXPECT_EQ(declaredLength, request.size());
    EXPECT_EQ(request.substr(4), std::string("ZEZIDEZ", 7) + '\0');
}

TEST(DiscoveryAnswerReader, ReadsAddressMaskAndMacFromTheirOffsets) {
    AnswerBytes bytes;
    bytes.ip = {10, 0, 200, 7};
    bytes.mask = {255, 255, 0, 0};
    bytes.mac = {0x00, 0x0a, 0xBC, 0xde, 0xF0, 0x09};
    const auto answer = ReadDiscoveryAnswer(bytes.Build());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->ipAddress, "10.0.200.7");
    EXPECT_EQ(answer->subnetMask, "255.255.0.0");
    EXPECT_EQ(answer->macAddress, "00-0A-BC-DE-F0-09");
    EXPECT_EQ(answer->propertyText, bytes.propertyText);
}

TEST(DiscoveryAnswerReader, FormatsExtremeOctetsWithoutPaddingOrSign) {
    AnswerBytes bytes;
    bytes.ip = {0, 9, 128, 255};
    bytes.mac = {0xFF, 0x80, 0x7F, 0x00, 0x10, 0x01};
    const auto answer = ReadDiscoveryAnswer(bytes.Build());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->ipAddress, "0.9.128.255");
    EXPECT_EQ(answer->macAddress, "FF-80-7F-00-10-01");
}

TEST(DiscoveryAnswerReader, IgnoresAnswersShorterThanSixtyEightBytes) {
    AnswerBytes bytes;
    bytes.propertyText = "X";
    const std::string full = bytes.Build();
    ASSERT_EQ(full.size(), kMinDiscoveryAnswerSize);

    const auto shortest = ReadDiscoveryAnswer(full);
    ASSERT_TRUE(shortest);
    EXPECT_EQ(shortest->propertyText, "X");  // byte 66 only; byte 67 closes the datagram
    EXPECT_FALSE(ReadDiscoveryAnswer(std::string_view(full).substr(0, 67)));
    EXPECT_FALSE(ReadDiscoveryAnswer(std::string_view(full).substr(0, 18)));
    EXPECT_FALSE(ReadDiscoveryAnswer(""));
}

TEST(DiscoveryAnswerReader, LastByteIsNeverPartOfThePropertyText) {
    AnswerBytes bytes;
    bytes.propertyText = "[ModelName=AB]";
    bytes.closingByte = ']';
    const auto answer = ReadDiscoveryAnswer(bytes.Build());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->propertyText, "[ModelName=AB]");
}

TEST(DiscoveryAnswerReader, ZeroByteEndsThePropertyTextEarly) {
    AnswerBytes bytes;
    bytes.propertyText = std::string("[ModelName=AB]\0[Version=3]", 26);
    const auto answer = ReadDiscoveryAnswer(bytes.Build());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->propertyText, "[ModelName=AB]");

    bytes.propertyText = std::string("\0[ModelName=AB]", 15);
    const auto empty = ReadDiscoveryAnswer(bytes.Build());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->propertyText.empty());
}

TEST(DiscoveryAnswerReader, OnlyTheFirstThousandBytesCount) {
    // The text's last "]" lands on byte 999, the last byte a read keeps, so it is cut off as the
    // closing byte; a reader that looked further would see a complete entry.
    AnswerBytes bytes;
    const std::string entry = "[Version=9]";
    bytes.propertyText =
        std::string(kMaxDiscoveryDatagramSize - 66 - entry.size(), '.') + entry + std::string(300, '.');
    const std::string datagram = bytes.Build();
    ASSERT_GT(datagram.size(), kMaxDiscoveryDatagramSize);
    ASSERT_EQ(datagram[kMaxDiscoveryDatagramSize - 1], ']');

    const auto answer = ReadDiscoveryAnswer(datagram);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->propertyText.size(), kMaxDiscoveryDatagramSize - 67);
    EXPECT_EQ(answer->propertyText.back(), '9');
    EXPECT_EQ(answer->propertyText, bytes.propertyText.substr(0, kMaxDiscoveryDatagramSize - 67));
}

}  // namespace
}  // namespace dezadav
