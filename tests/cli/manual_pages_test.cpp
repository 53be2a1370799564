// Every option a program's help lists is documented in its manual page.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "support/cli_process.h"

namespace dezadav::testing {
namespace {

// Checks that each option ("--name", "-h") `help` names is in docs/<manual>.1, whose "\-" reads "-".
void ExpectDocumented(const std::string& manualName, const std::string& help) {
    std::ifstream in(std::string(DEZADAV_SOURCE_DIR) + "/docs/" + manualName + ".1");
    const std::string manual = std::regex_replace(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
        std::regex(R"(\\-)"), "-");
    ASSERT_FALSE(manual.empty()) << manualName;
    static const std::regex option(R"((^|[\s\[|,(])(-h|--[a-z][a-z-]*[a-z]))");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator();
         ++it) {
        EXPECT_TRUE(std::regex_search(manual, std::regex((*it)[2].str() + "([^a-z-]|$)")))
            << (*it)[2] << " is missing from " << manualName << ".1";
    }
}

TEST(ManualPages, DocumentEveryOptionTheHelpLists) {
    const CliRun global = RunCliProcess(DEZADAV_CLI_PATH, {"--help"}, std::nullopt);
    ASSERT_EQ(global.exitCode, 0);
    ExpectDocumented("dezadav-cli", global.out);
    for (const char* command : {"discover", "fetch", "apply", "log", "backup", "diff", "history", "restore"}) {
        const CliRun help = RunCliProcess(DEZADAV_CLI_PATH, {command, "--help"}, std::nullopt);
        ASSERT_EQ(help.exitCode, 0) << command;
        ExpectDocumented("dezadav-cli", help.out);
    }
#ifdef DEZADAV_APP_PATH
    const CliRun window = RunCliProcess(DEZADAV_APP_PATH, {"--help"}, std::nullopt);
    ASSERT_EQ(window.exitCode, 0);
    ExpectDocumented("dezadav", window.out);
#endif
}

}  // namespace
}  // namespace dezadav::testing
