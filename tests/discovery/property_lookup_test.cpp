#include "discovery/property_lookup.h"

#include <gtest/gtest.h>

namespace dezadav {
namespace {

std::string Model(std::string_view text) {
    return LookupProperty(text, "ModelName", kModelNameCapacity).value;
}
std::string Version(std::string_view text) {
    return LookupProperty(text, "Version", kVersionCapacity).value;
}

TEST(PropertyLookup, FindsBothPropertiesWithEitherSeparatorIgnoringCase) {
    EXPECT_EQ(Model("[ModelName=ABC][Version=1.0]"), "ABC");
    EXPECT_EQ(Version("[ModelName=ABC][Version=1.0]"), "1.0");
    EXPECT_EQ(Model("[modelname:ABC]"), "ABC");
    EXPECT_EQ(Model("[MODELNAME=abc]"), "abc");  // the value keeps its case
    EXPECT_EQ(Version("junk before [Version=2] and after"), "2");
}

TEST(PropertyLookup, KeyMatchesAnywhereInTheEntryName) {
    EXPECT_EQ(Version("[FirmwareVersion=3.2]"), "3.2");
    EXPECT_EQ(Model("[X-ModelNameLong:Q]"), "Q");
    // The key is only looked for in the name, never in the value.
    EXPECT_FALSE(LookupProperty("[Name=Version]", "Version", kVersionCapacity).found);
}

TEST(PropertyLookup, ValueStartsAfterTheLastSeparator) {
    EXPECT_EQ(Version("[Version=1:2]"), "2");
    EXPECT_EQ(Version("[Version:a=b:c]"), "c");
    // The name ends at the first separator, so the key must occur before it.
    EXPECT_FALSE(LookupProperty("[Build=Version=3]", "Version", kVersionCapacity).found);
}

TEST(PropertyLookup, FirstMatchingEntryWins) {
    EXPECT_EQ(Version("[Version=1][Version=2]"), "1");
    EXPECT_EQ(Version("[Other=x][FirmwareVersion=5][Version=6]"), "5");
}

TEST(PropertyLookup, EntryWithoutSeparatorOrEmptyEntryEndsTheLookup) {
    EXPECT_FALSE(LookupProperty("[Foo][ModelName=ABC]", "ModelName", kModelNameCapacity).found);
    EXPECT_FALSE(LookupProperty("[][ModelName=ABC]", "ModelName", kModelNameCapacity).found);
    // A non-matching entry with a separator does not end it.
    EXPECT_EQ(Model("[Foo=1][ModelName=ABC]"), "ABC");
}

TEST(PropertyLookup, UnclosedOrMissingEntriesYieldNoValue) {
    for (std::string_view text : {"", "ModelName=ABC", "[ModelName=ABC", "]ModelName=ABC[", "[Version=1]"}) {
        const PropertyValue property = LookupProperty(text, "ModelName", kModelNameCapacity);
        EXPECT_FALSE(property.found) << text;
        EXPECT_TRUE(property.value.empty()) << text;
        EXPECT_FALSE(property.outOfRange) << text;
    }
}

TEST(PropertyLookup, EmptyValueIsFoundAndEmpty) {
    const PropertyValue property = LookupProperty("[ModelName=]", "ModelName", kModelNameCapacity);
    EXPECT_TRUE(property.found);
    EXPECT_TRUE(property.value.empty());
    EXPECT_FALSE(property.outOfRange);
}

TEST(PropertyLookup, OpeningBracketInsideAnEntryIsPartOfIt) {
    // Only the first "[" opens an entry; a second one before "]" belongs to the entry name.
    EXPECT_EQ(Model("[x[ModelName=M1]"), "M1");
    // A stray "]" before any "[" is skipped.
    EXPECT_EQ(Model("]][ModelName=M2]"), "M2");
}

TEST(PropertyLookup, ValuesAtCapacityAreCutAndReported) {
    const std::string name34(34, 'a');
    const std::string name35(35, 'b');
    const std::string name40 = std::string(35, 'c') + "DEFGH";

    const PropertyValue whole = LookupProperty("[ModelName=" + name34 + "]", "ModelName", kModelNameCapacity);
    EXPECT_EQ(whole.value, name34);
    EXPECT_FALSE(whole.outOfRange);

    const PropertyValue at35 = LookupProperty("[ModelName=" + name35 + "]", "ModelName", kModelNameCapacity);
    EXPECT_EQ(at35.value, name35);
    EXPECT_TRUE(at35.outOfRange);

    const PropertyValue at40 = LookupProperty("[ModelName=" + name40 + "]", "ModelName", kModelNameCapacity);
    EXPECT_EQ(at40.value, name40.substr(0, 35));
    EXPECT_TRUE(at40.outOfRange);

    const std::string version22(22, '1');
    const std::string version23(23, '2');
    EXPECT_FALSE(LookupProperty("[Version=" + version22 + "]", "Version", kVersionCapacity).outOfRange);
    const PropertyValue version = LookupProperty("[Version=" + version23 + "9]", "Version", kVersionCapacity);
    EXPECT_TRUE(version.outOfRange);
    EXPECT_EQ(version.value, version23);
}

}  // namespace
}  // namespace dezadav
