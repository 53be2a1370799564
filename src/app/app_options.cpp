#include "app/app_options.h"

#include <QCommandLineParser>

#include "discovery/discovery_targets.h"

namespace dezadav {

namespace {

const QCommandLineOption kTelnetPortOption(
    QStringLiteral("telnet-port"), QStringLiteral("TCP port of the routers' command line (default 23)."),
    QStringLiteral("port"));
const QCommandLineOption kBroadcastOption(
    QStringLiteral("broadcast"),
    QStringLiteral("Send the router search to this IPv4 address instead of "
                   "broadcasting it on every network."),
    QStringLiteral("address"));
const QCommandLineOption kDiscoveryPortOption(
    QStringLiteral("discovery-port"),
    QStringLiteral("UDP port the routers answer the search on (default 56415)."), QStringLiteral("port"));

QCommandLineOption DemoScriptOption() {
    QCommandLineOption option(QStringLiteral("demo-script"),
                              QStringLiteral("Play the user and save page pictures into the folder."),
                              QStringLiteral("folder"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}
const QCommandLineOption kDemoScriptOption = DemoScriptOption();

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Manages the VoIP settings of an office router."));
    parser.addHelpOption();
    parser.addOption(kTelnetPortOption);
    parser.addOption(kBroadcastOption);
    parser.addOption(kDiscoveryPortOption);
    parser.addOption(kDemoScriptOption);
}

bool ReadPort(const QCommandLineParser& parser, const QCommandLineOption& option, std::uint16_t& port,
              std::string& error) {
    if (!parser.isSet(option)) return true;
    const QStringList values = parser.values(option);
    bool ok = false;
    const uint value = values.last().toUInt(&ok);
    if (values.size() != 1 || !ok || value < 1 || value > 65535) {
        error = "--" + option.names().front().toStdString() + " takes one port number from 1 to 65535";
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

AppParseResult ParseAppArguments(const QStringList& arguments) {
    AppParseResult result;
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText().toStdString();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.help = true;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = "unexpected argument " + parser.positionalArguments().front().toStdString();
        return result;
    }
    AppOptions options;
    if (!ReadPort(parser, kTelnetPortOption, options.telnetPort, result.error)) return result;
    if (!ReadPort(parser, kDiscoveryPortOption, options.discoveryPort, result.error)) return result;
    if (parser.isSet(kBroadcastOption)) {
        const QStringList values = parser.values(kBroadcastOption);
        const std::string address = values.last().toStdString();
        if (values.size() != 1 || !IsDottedIpv4Address(address)) {
            result.error = "--broadcast takes one dotted IPv4 address";
            return result;
        }
        options.broadcast = address;
    }
    if (parser.isSet(kDemoScriptOption)) {
        const QStringList values = parser.values(kDemoScriptOption);
        if (values.size() != 1 || values.front().isEmpty()) {
            result.error = "--demo-script takes one folder";
            return result;
        }
        options.demoScript = values.front().toStdString();
    }
    result.options = options;
    return result;
}

std::string AppHelpText() {
    QCommandLineParser parser;
    Describe(parser);
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("dezadav"));
    return text.toStdString();
}

}  // namespace dezadav
