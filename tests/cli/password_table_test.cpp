#include "cli/password_table.h"

#include <gtest/gtest.h>

namespace dezadav::cli {
namespace {

TEST(PasswordTable, EntriesByAddressOrMacOverNothingElse) {
    PasswordTable table;
    std::string error;
    ASSERT_TRUE(table.Parse(
        "# office routers\r\n\n  10.0.0.1 pass word\n00:1d:5a:73:00:02\tsecret\r\n10.0.0.3 \n", &error))
        << error;
    EXPECT_EQ(table.For("10.0.0.1", ""), "pass word");
    EXPECT_EQ(table.For("10.0.0.2", "00-1D-5A-73-00-02"), "secret");
    EXPECT_EQ(table.For("10.0.0.3", ""), "");
    EXPECT_EQ(table.For("10.0.0.1", "00-1D-5A-73-00-02"), "pass word");  // the address comes first
    EXPECT_FALSE(table.For("10.0.0.4", "00-1D-5A-73-00-03").has_value());

    for (const char* bad : {"10.0.0.1\n", "router1 pw\n", "00-1D-5A-73-00 pw\n", "00-1D-5A-73-00-0G pw\n"}) {
        PasswordTable other;
        EXPECT_FALSE(other.Parse(bad, &error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace dezadav::cli
