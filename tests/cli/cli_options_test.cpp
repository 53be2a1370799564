#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "cli/option_defaults.h"
#include "support/temp_files.h"

namespace dezadav::cli {
namespace {

CliOptions ParseOk(const std::vector<std::string>& args) {
    auto result = ParseCliArguments(args);
    EXPECT_TRUE(result.options.has_value()) << result.error;
    return result.options.value_or(CliOptions{});
}

std::string ParseError(const std::vector<std::string>& args) {
    auto result = ParseCliArguments(args);
    EXPECT_FALSE(result.options.has_value());
    return result.error;
}

TEST(CliOptions, DefaultsAreTheRoutersStandardPortsAndTheLimitedBroadcast) {
    auto options = ParseOk({"discover"});
    EXPECT_EQ(options.command, CliCommand::Discover);
    EXPECT_FALSE(options.common.broadcast.has_value());
    EXPECT_EQ(options.common.discoveryPort, 56415);
    EXPECT_EQ(options.common.timeScale, 1.0);
    EXPECT_FALSE(options.common.transcriptFile.has_value());
    EXPECT_EQ(options.waitMs, 2000);

    auto fetch = ParseOk({"fetch", "--router", "192.168.1.1", "--output", "out.csv"});
    EXPECT_EQ(fetch.common.telnetPort, 23);
    EXPECT_FALSE(fetch.model.has_value());
    EXPECT_FALSE(fetch.passwordFile.has_value());
}

TEST(CliOptions, EveryCommandTakesItsOptionsInBothSpellings) {
    auto fetch = ParseOk({"fetch", "--router=127.0.0.2", "--telnet-port", "2323", "--model=DZV-R5730K",
                          "--discovery-port", "4000", "--wait", "150", "--password-file", "pw", "--output",
                          "x.csv", "--time-scale", "2.5", "--transcript=t.log"});
    EXPECT_EQ(fetch.command, CliCommand::Fetch);
    EXPECT_EQ(fetch.routers, std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(fetch.common.telnetPort, 2323);
    EXPECT_EQ(fetch.model, "DZV-R5730K");
    EXPECT_EQ(fetch.common.discoveryPort, 4000);
    EXPECT_EQ(fetch.waitMs, 150);
    EXPECT_EQ(fetch.passwordFile, "pw");
    EXPECT_EQ(fetch.outputFile, "x.csv");
    EXPECT_EQ(fetch.common.timeScale, 2.5);
    EXPECT_EQ(fetch.common.transcriptFile, "t.log");

    auto apply = ParseOk({"apply", "--router", "10.0.0.1", "--input", "in.csv", "--dry-run"});
    EXPECT_EQ(apply.command, CliCommand::Apply);
    EXPECT_EQ(apply.inputFile, "in.csv");
    EXPECT_TRUE(apply.dryRun);
    EXPECT_FALSE(apply.showSecrets);
    EXPECT_FALSE(ParseOk({"apply", "--router", "10.0.0.1", "--input", "in.csv"}).dryRun);
    EXPECT_TRUE(
        ParseOk({"apply", "--router", "10.0.0.1", "--input", "in.csv", "--show-secrets"}).showSecrets);

    auto log = ParseOk({"log", "--router", "10.0.0.1"});
    EXPECT_EQ(log.command, CliCommand::Log);

    auto discover = ParseOk({"discover", "--broadcast", "127.0.0.9", "--discovery-port", "1", "--wait", "0"});
    EXPECT_EQ(discover.common.broadcast, "127.0.0.9");
    EXPECT_EQ(discover.common.discoveryPort, 1);
    EXPECT_EQ(discover.waitMs, 0);

    // An empty model name is a value like any other: it makes a one-port router.
    EXPECT_EQ(ParseOk({"fetch", "--router", "10.0.0.1", "--output", "x", "--model", ""}).model, "");

    // A side of diff may be a record of --router's history, which may be named by its MAC.
    const CliOptions records = ParseOk({"diff", "record:before-last-apply", "record:0abcdef", "--router", "00:1d:5a:73:00:02"});
    EXPECT_EQ(records.diffSides, (std::vector<std::string>{"record:before-last-apply", "record:0abcdef"}));
    EXPECT_EQ(records.routers, std::vector<std::string>{"00-1D-5A-73-00-02"});
}

TEST(CliOptions, ManyRouterCommandsTakeRouterListsJobsAndPasswordFiles) {
    auto backup = ParseOk({"backup", "--into", "dir", "--router", "10.0.0.1", "--router=10.0.0.2", "--jobs",
                           "256", "--passwords", "pw", "--broadcast", "127.0.0.9"});
    EXPECT_EQ(backup.command, CliCommand::Backup);
    EXPECT_EQ(backup.backupDir, "dir");
    EXPECT_EQ(backup.routers, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(backup.jobs, 256);
    EXPECT_EQ(backup.passwordsFile, "pw");
    EXPECT_EQ(ParseOk({"backup", "--into", "dir"}).jobs, 32);
    EXPECT_EQ(
        ParseOk({"apply", "--router", "10.0.0.1", "--router", "10.0.0.2", "--input", "f"}).routers.size(),
        2u);

    EXPECT_NE(ParseError({"backup"}).find("--into"), std::string::npos);
    for (const char* jobs : {"0", "257", "x", ""}) {
        EXPECT_NE(ParseError({"backup", "--into", "d", "--jobs", jobs}).find("--jobs"), std::string::npos)
            << jobs;
    }
    EXPECT_NE(
        ParseError({"backup", "--into", "d", "--router", "10.0.0.1", "--router", "10.0.0.1"}).find("twice"),
        std::string::npos);
    EXPECT_NE(
        ParseError({"fetch", "--router", "10.0.0.1", "--router", "10.0.0.2", "--output", "x"}).find("twice"),
        std::string::npos);
    EXPECT_NE(
        ParseError({"fetch", "--router", "10.0.0.1", "--output", "x", "--jobs", "2"}).find("does not apply"),
        std::string::npos);
}

TEST(CliOptions, HelpWinsOverEverythingElseAndNamesItsCommand) {
    EXPECT_EQ(ParseOk({"--help"}).command, CliCommand::Help);
    EXPECT_FALSE(ParseOk({"--help"}).helpTopic.has_value());
    const CliOptions fetchHelp = ParseOk({"fetch", "--bogus", "-h"});
    EXPECT_EQ(fetchHelp.command, CliCommand::Help);
    EXPECT_EQ(fetchHelp.helpTopic, CliCommand::Fetch);
    EXPECT_EQ(ParseOk({"log", "--version"}).command, CliCommand::Version);
    EXPECT_EQ(ParseCliArguments({"log", "--bogus"}).commandWord, "log");
}

TEST(CliOptions, CommandLineWinsOverEnvironmentWhichWinsOverTheFile) {
    dezadav::testing::TempFiles temp("dezadav_cli_conf_");
    const std::string conf = temp.Path("cli.conf");
    std::ofstream(conf) << "telnet-port=1000\njobs=5\ntime-scale=2\n";
    std::map<std::string, std::string> env = {{"DEZADAV_TELNET_PORT", "2000"}, {"DEZADAV_JOBS", "7"}};
    auto environment = [&](const char* name) -> std::optional<std::string> {
        auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    std::vector<OptionDefault> defaults;
    ASSERT_FALSE(ReadOptionDefaults(conf, environment, defaults).has_value());
    auto parsed = ParseCliArguments({"backup", "--into", "d", "--jobs", "9"}, defaults);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->jobs, 9);                  // command line
    EXPECT_EQ(parsed.options->common.telnetPort, 2000);  // environment over file
    EXPECT_EQ(parsed.options->common.timeScale, 2.0);    // file
    // A command that does not take an option ignores its default.
    EXPECT_TRUE(ParseCliArguments({"fetch", "--router", "r1", "--output", "x"}, defaults).options);

    env["DEZADAV_TIME_SCALE"] = "fast";
    defaults.clear();
    ASSERT_FALSE(ReadOptionDefaults(conf, environment, defaults).has_value());
    EXPECT_NE(
        ParseCliArguments({"log", "--router", "r1"}, defaults).error.find("DEZADAV_TIME_SCALE: --time-scale"),
        std::string::npos);
    std::ofstream(conf, std::ios::app) << "colour=blue\n";
    EXPECT_NE(ReadOptionDefaults(conf, environment, defaults).value_or("").find("unknown setting 'colour'"),
              std::string::npos);
}

TEST(CliOptions, UnusableCommandLinesAreRefusedWithTheirReason) {
    EXPECT_NE(ParseError({}).find("no command"), std::string::npos);
    EXPECT_NE(ParseError({"frobnicate"}).find("frobnicate"), std::string::npos);
    EXPECT_NE(ParseError({"fetch", "--output", "x"}).find("--router"), std::string::npos);
    EXPECT_NE(ParseError({"fetch", "--router", "1.2.3.4"}).find("--output"), std::string::npos);
    EXPECT_NE(ParseError({"apply", "--router", "1.2.3.4"}).find("--input"), std::string::npos);
    EXPECT_NE(ParseError({"log"}).find("--router"), std::string::npos);
    EXPECT_NE(ParseError({"log", "--router"}).find("needs a value"), std::string::npos);
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "--router", "1.2.3.4"}).find("twice"),
              std::string::npos);
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "extra"}).find("extra"), std::string::npos);
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "--verbose"}).find("--verbose"), std::string::npos);
    // Options of other commands do not slip through.
    EXPECT_NE(ParseError({"discover", "--router", "1.2.3.4"}).find("does not apply"), std::string::npos);
    // log reads the call log alone: it asks no discovery and needs no model.
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "--dry-run"}).find("does not apply"), std::string::npos);
    for (const char* option : {"--model", "--wait", "--discovery-port"}) {
        EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", option, "1"}).find("does not apply"), std::string::npos)
            << option;
    }
    EXPECT_NE(ParseError({"diff", "record:before-last-apply", "a.csv"}).find("--router"), std::string::npos);
    EXPECT_NE(ParseError({"diff", "record:xyz", "a.csv", "--router", "1.2.3.4"}).find("after record:"),
              std::string::npos);
    EXPECT_NE(
        ParseError({"fetch", "--router", "1.2.3.4", "--output", "x", "--input", "y"}).find("does not apply"),
        std::string::npos);
    for (const char* flag : {"--dry-run=yes", "--show-secrets=1"}) {
        EXPECT_NE(ParseError({"apply", "--router", "1.2.3.4", "--input", "x", flag}).find("no value"),
                  std::string::npos);
    }
    EXPECT_NE(ParseError({"fetch", "--router", "1.2.3.4", "--output="}).find("file name"), std::string::npos);
    EXPECT_NE(ParseError({"apply", "--router", "1.2.3.4", "--input", "x", "--from-backup", "d"}).find("exclude"),
              std::string::npos);
    EXPECT_NE(ParseError({"diff", "a.csv", "router:1.2.3"}).find("router:1.2.3"), std::string::npos);
    EXPECT_NE(ParseError({"diff", "a.csv", "b.csv", "c.csv"}).find("c.csv"), std::string::npos);
    // The password is never an option.
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "--password", "admin"}).find("unknown option"),
              std::string::npos);
}

TEST(CliOptions, AddressesPortsAndTimesAreChecked) {
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a..b", " 1.2.3.4", "1.2.3.4 ",
                            "+1.2.3.4", "1.2.3.-4", "", "1.2.3.4.", "010.1.1.1", "-r1", "r_1", "a.b-"}) {
        EXPECT_FALSE(ParseCliArguments({"log", "--router", bad}).options.has_value()) << bad;
    }
    for (const char* good :
         {"0.0.0.0", "255.255.255.255", "127.0.0.2", "10.0.100.1", "localhost", "r1.office-2.example"}) {
        EXPECT_TRUE(ParseCliArguments({"log", "--router", good}).options.has_value()) << good;
    }
    for (const char* badPort : {"0", "65536", "-1", "23x", "", "99999999999"}) {
        EXPECT_FALSE(ParseCliArguments({"log", "--router", "1.2.3.4", "--telnet-port", badPort}).options)
            << badPort;
        EXPECT_FALSE(ParseCliArguments({"discover", "--discovery-port", badPort}).options) << badPort;
    }
    EXPECT_EQ(ParseOk({"log", "--router", "1.2.3.4", "--telnet-port", "65535"}).common.telnetPort, 65535);
    EXPECT_FALSE(ParseCliArguments({"discover", "--wait", "-5"}).options);
    EXPECT_FALSE(ParseCliArguments({"discover", "--wait", "600001"}).options);
    EXPECT_FALSE(ParseCliArguments({"discover", "--broadcast", "everyone"}).options);
    for (const char* badFactor : {"0.5", "20.5", "2,5", "1e1", "-2", ".5", "2.", "", "two"}) {
        EXPECT_FALSE(ParseCliArguments({"log", "--router", "1.2.3.4", "--time-scale", badFactor}).options)
            << badFactor;
    }
    EXPECT_EQ(ParseOk({"log", "--router", "1.2.3.4", "--time-scale", "20"}).common.timeScale, 20.0);
    EXPECT_NE(ParseError({"log", "--router", "1.2.3.4", "--transcript="}).find("file name"),
              std::string::npos);
}

TEST(CliOptions, HistoryTakesARouterByMacAndRestoreARecord) {
    auto history = ParseOk({"history", "--router", "00:1d:5a:73:00:02", "--json", "--history", "h"});
    EXPECT_EQ(history.routers, std::vector<std::string>{"00-1D-5A-73-00-02"});
    EXPECT_TRUE(history.json);
    EXPECT_EQ(history.common.historyFolder, "h");
    EXPECT_TRUE(ParseOk({"apply", "--router", "10.0.0.1", "--input", "a.csv", "--no-history"}).common.noHistory);
    EXPECT_EQ(ParseOk({"restore", "--router", "10.0.0.1", "--to", "before-last-apply"}).restoreTo,
              kBeforeLastApply);
    EXPECT_EQ(ParseOk({"restore", "--router", "10.0.0.1", "--to", "664a86e"}).restoreTo, "664a86e");

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"restore", "--router", "10.0.0.1"},
          {"restore", "--router", "10.0.0.1", "--to", "664a86"},  // too short to name one record
          {"restore", "--router", "10.0.0.1", "--to", "last"},
          {"restore", "--router", "10.0.0.1", "--to", "before-last-apply", "--no-history"},
          {"history", "--router", "10.0.0.1", "--history", ""}}) {
        EXPECT_FALSE(ParseError(refused).empty()) << refused.back();
    }
}

}  // namespace
}  // namespace dezadav::cli
