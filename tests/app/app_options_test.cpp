#include "app/app_options.h"

#include <gtest/gtest.h>

#include <QDir>

namespace dezadav {
namespace {

AppParseResult Parse(QStringList args) {
    args.prepend(QStringLiteral("dezadav"));
    return ParseAppArguments(args);
}

TEST(AppOptions, DefaultsAreTheRoutersStandardPorts) {
    const AppParseResult result = Parse({});
    ASSERT_TRUE(result.options);
    EXPECT_EQ(result.options->common.telnetPort, 23);
    EXPECT_EQ(result.options->common.discoveryPort, 56415);
    EXPECT_FALSE(result.options->common.broadcast);
}

TEST(AppOptions, OverridesInBothSpellings) {
    const AppParseResult result =
        Parse({QStringLiteral("--telnet-port"), QStringLiteral("2323"),
               QStringLiteral("--broadcast=127.0.0.1"), QStringLiteral("--discovery-port=40000")});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->common.telnetPort, 2323);
    EXPECT_EQ(result.options->common.discoveryPort, 40000);
    EXPECT_EQ(result.options->common.broadcast, "127.0.0.1");
}

// The shared options' own checks are the shared reader's; these are the window's.
TEST(AppOptions, BadSharedOptionsAndStrayArgumentsAreRefused) {
    const QStringList bad[] = {{QStringLiteral("--telnet-port"), QStringLiteral("0")},
                               {QStringLiteral("--colour")},
                               {QStringLiteral("a.csv"), QStringLiteral("b.csv")},
                               {QString()}};
    for (const QStringList& args : bad) {
        const AppParseResult result = Parse(args);
        EXPECT_FALSE(result.options) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(result.error.empty()) << args.join(QLatin1Char(' ')).toStdString();
    }
}

TEST(AppOptions, OneSettingsFileIsTakenWithItsAbsolutePath) {
    const AppParseResult result = Parse({QStringLiteral("settings.csv")});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->settingsFile,
              QDir::current().absoluteFilePath(QStringLiteral("settings.csv")).toStdString());
    EXPECT_FALSE(Parse({}).options->settingsFile);
}

TEST(AppOptions, HelpNamesEveryOption) {
    EXPECT_TRUE(Parse({QStringLiteral("--help")}).help);
    EXPECT_TRUE(Parse({QStringLiteral("-h")}).help);
    const std::string help = AppHelpText();
    EXPECT_EQ(help.rfind("Usage: dezadav", 0), 0u) << help;
    for (const char* option : {"--telnet-port", "--broadcast", "--discovery-port", "--help", "[file]"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace dezadav
