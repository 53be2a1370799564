// Every option a program's help lists is documented in its manual page.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "support/cli_process.h"

namespace dezadav::testing {
namespace {

// The options ("--name", "-h") a help text names.
std::set<std::string> OptionsNamed(const std::string& text) {
    static const std::regex option(R"((^|[\s\[|,(])(-h|--[a-z][a-z-]*[a-z]))");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        names.insert((*it)[2]);
    return names;
}

// The manual page as its reader sees the option names: roff's "\-" is a dash.
std::string ManualText(const std::string& name) {
    std::ifstream in(std::string(DEZADAV_SOURCE_DIR) + "/docs/" + name + ".1");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

void ExpectDocumented(const std::string& manualName, const std::string& help) {
    const std::string manual = ManualText(manualName);
    ASSERT_FALSE(manual.empty()) << manualName;
    const std::set<std::string> options = OptionsNamed(help);
    EXPECT_FALSE(options.empty()) << help;
    for (const std::string& option : options) {
        EXPECT_TRUE(std::regex_search(manual, std::regex(option + "([^a-z-]|$)")))
            << option << " is missing from " << manualName << ".1";
    }
}

TEST(ManualPages, DocumentEveryOptionTheHelpLists) {
    const CliRun global = RunCliProcess(DEZADAV_CLI_PATH, {"--help"}, std::nullopt);
    ASSERT_EQ(global.exitCode, 0);
    ExpectDocumented("dezadav-cli", global.out);
    // Each command's help, the commands as the usage lines name them.
    static const std::regex usageLine(R"(\n  dezadav-cli ([a-z]+) )");
    int commands = 0;
    for (auto it = std::sregex_iterator(global.out.begin(), global.out.end(), usageLine);
         it != std::sregex_iterator() && commands < 20; ++it, ++commands) {
        const CliRun help = RunCliProcess(DEZADAV_CLI_PATH, {(*it)[1], "--help"}, std::nullopt);
        ASSERT_EQ(help.exitCode, 0) << (*it)[1];
        ExpectDocumented("dezadav-cli", help.out);
    }
    EXPECT_EQ(commands, 5);
#ifdef DEZADAV_APP_PATH
    const CliRun window = RunCliProcess(DEZADAV_APP_PATH, {"--help"}, std::nullopt);
    ASSERT_EQ(window.exitCode, 0);
    ExpectDocumented("dezadav", window.out);
#endif
}

}  // namespace
}  // namespace dezadav::testing
