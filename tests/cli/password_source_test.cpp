#include "cli/password_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace dezadav::cli {
namespace {

class PasswordSourceTest : public ::testing::Test {
protected:
    // A password file only its owner may read, as the program demands.
    std::string WriteFile(const std::string& bytes) {
        std::ofstream(m_path, std::ios::binary) << bytes;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        return m_path.string();
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::filesystem::path m_path =
        std::filesystem::temp_directory_path() / ("dezadav_pw_" + std::to_string(::getpid()));
    int m_prompts = 0;
    std::function<std::optional<std::string>()> CountingPrompt(std::optional<std::string> answer) {
        return [this, answer] {
            ++m_prompts;
            return answer;
        };
    }
};

TEST_F(PasswordSourceTest, EnvironmentComesFirstEvenWhenEmpty) {
    PasswordSources sources{[] { return std::optional<std::string>("s3cret"); }, WriteFile("other\n"),
                            CountingPrompt("typed")};
    EXPECT_EQ(ObtainPassword(sources).password, "s3cret");
    sources.environment = [] { return std::optional<std::string>(""); };
    EXPECT_EQ(ObtainPassword(sources).password, "");
    EXPECT_EQ(m_prompts, 0);
}

TEST_F(PasswordSourceTest, FileGivesItsFirstLineWithoutTheLineEnd) {
    PasswordSources sources{[] { return std::nullopt; }, WriteFile("adm,in\r\nsecond line\n"),
                            CountingPrompt("typed")};
    EXPECT_EQ(ObtainPassword(sources).password, "adm,in");
    sources.passwordFile = WriteFile("only");
    EXPECT_EQ(ObtainPassword(sources).password, "only");
    sources.passwordFile = WriteFile("");
    EXPECT_EQ(ObtainPassword(sources).password, "");
    EXPECT_EQ(m_prompts, 0);
}

TEST_F(PasswordSourceTest, UnreadableFileIsAFileFailureNotAPrompt) {
    PasswordSources sources{[] { return std::nullopt; }, m_path.string() + ".missing",
                            CountingPrompt("typed")};
    auto outcome = ObtainPassword(sources);
    EXPECT_FALSE(outcome.password.has_value());
    EXPECT_FALSE(outcome.usageError);
    EXPECT_NE(outcome.error.find("password file"), std::string::npos);
    EXPECT_EQ(m_prompts, 0);
}

TEST_F(PasswordSourceTest, TerminalIsAskedLastAndItsAbsenceIsAUsageError) {
    PasswordSources sources{[] { return std::nullopt; }, std::nullopt, CountingPrompt("typed")};
    EXPECT_EQ(ObtainPassword(sources).password, "typed");
    EXPECT_EQ(m_prompts, 1);
    sources.terminalPrompt = CountingPrompt(std::nullopt);
    auto outcome = ObtainPassword(sources);
    EXPECT_FALSE(outcome.password.has_value());
    EXPECT_TRUE(outcome.usageError);
    EXPECT_NE(outcome.error.find("DEZADAV_PASSWORD"), std::string::npos);
}

TEST(FirstLineOf, CutsAtTheFirstLineFeedAndDropsOneCarriageReturn) {
    EXPECT_EQ(FirstLineOf("a\nb"), "a");
    EXPECT_EQ(FirstLineOf("a\r\nb"), "a");
    EXPECT_EQ(FirstLineOf("a\r\r\n"), "a\r");
    EXPECT_EQ(FirstLineOf("\nb"), "");
    EXPECT_EQ(FirstLineOf("no end"), "no end");
}

}  // namespace
}  // namespace dezadav::cli
