#include "app/app_options.h"

#include <QFileInfo>

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

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Manages the VoIP settings of an office router."));
    parser.addHelpOption();
    AddRouterOptions(parser);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A settings file (.csv) to load once a router has been chosen "
                                                "or skipped."),
                                 QStringLiteral("[file]"));
}

std::optional<std::string> ReadPort(const QCommandLineParser& parser, const QCommandLineOption& option,
                                    std::uint16_t& port) {
    if (!parser.isSet(option)) return std::nullopt;
    const QStringList values = parser.values(option);
    bool ok = false;
    const uint value = values.last().toUInt(&ok);
    if (values.size() != 1 || !ok || value < 1 || value > 65535) {
        return "--" + option.names().front().toStdString() + " takes one port number from 1 to 65535";
    }
    port = static_cast<std::uint16_t>(value);
    return std::nullopt;
}

}  // namespace

void AddRouterOptions(QCommandLineParser& parser) {
    parser.addOption(kTelnetPortOption);
    parser.addOption(kBroadcastOption);
    parser.addOption(kDiscoveryPortOption);
}

std::optional<std::string> ReadRouterOptions(const QCommandLineParser& parser, RouterOptions& options) {
    if (auto error = ReadPort(parser, kTelnetPortOption, options.telnetPort)) return error;
    if (auto error = ReadPort(parser, kDiscoveryPortOption, options.discoveryPort)) return error;
    if (parser.isSet(kBroadcastOption)) {
        const QStringList values = parser.values(kBroadcastOption);
        const std::string address = values.last().toStdString();
        if (values.size() != 1 || !IsDottedIpv4Address(address)) return "--broadcast takes one dotted IPv4 address";
        options.broadcast = address;
    }
    return std::nullopt;
}

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
    AppOptions options;
    if (auto error = ReadRouterOptions(parser, options.routers)) {
        result.error = *error;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 || (files.size() == 1 && files.front().isEmpty())) {
        result.error = "one settings file at most, named by a non-empty path";
        return result;
    }
    // The window may be started from anywhere; the path must not depend on where it runs later.
    if (!files.isEmpty()) options.settingsFile = QFileInfo(files.front()).absoluteFilePath().toStdString();
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
