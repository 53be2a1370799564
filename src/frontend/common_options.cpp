#include "frontend/common_options.h"

#include "discovery/discovery_targets.h"

namespace dezadav {

namespace {

QCommandLineOption Option(const char* name, const char* description, const char* valueName) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName));
}

// Digits with at most one decimal point between digits: no sign, exponent or spaces, so what a user
// reads is what is used.
std::optional<double> ParsePlainDecimal(const QString& text) {
    int points = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') && i > 0 && i + 1 < text.size()) {
            ++points;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    if (text.isEmpty() || points > 1 || text.size() > 12) return std::nullopt;
    return text.toDouble();
}

std::optional<std::uint16_t> ParsePort(const QString& text) {
    if (text.isEmpty() || text.size() > 5) return std::nullopt;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const uint value = text.toUInt();
    if (value < 1 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// The single value of an option given at most once; an error when it was given more often.
std::optional<std::string> SingleValue(const QCommandLineParser& parser, const char* name, QString& value) {
    const QStringList values = parser.values(QString::fromLatin1(name));
    if (values.size() > 1) return "option --" + std::string(name) + " given twice";
    if (!values.isEmpty()) value = values.front();
    return std::nullopt;
}

std::string Refusal(const char* name, const char* wanted, const QString& value) {
    return "--" + std::string(name) + " needs " + wanted + ", not '" + value.toStdString() + "'";
}

std::optional<std::string> ReadPort(const QCommandLineParser& parser, const char* name, std::uint16_t& port) {
    if (!parser.isSet(QString::fromLatin1(name))) return std::nullopt;
    QString value;
    if (auto error = SingleValue(parser, name, value)) return error;
    const auto parsed = ParsePort(value);
    if (!parsed) return Refusal(name, "a port number from 1 to 65535", value);
    port = *parsed;
    return std::nullopt;
}

}  // namespace

void AddCommonOptions(QCommandLineParser& parser) {
    parser.addOption(
        Option(kTelnetPortOptionName, "TCP port of the routers' command line (default 23).", "port"));
    parser.addOption(Option(kBroadcastOptionName,
                            "Send the router search to this IPv4 address instead of broadcasting it.",
                            "address"));
    parser.addOption(Option(kDiscoveryPortOptionName,
                            "UDP port the routers answer the search on (default 56415).", "port"));
    parser.addOption(
        Option(kTimeScaleOptionName,
               "Make every wait of the router dialogue this many times as long, for slow routers "
               "(a number from 1 to 20, default 1).",
               "factor"));
    parser.addOption(
        Option(kTranscriptOptionName, "Append a record of every router exchange to this file.", "file"));
}

std::optional<std::string> ReadCommonOptions(const QCommandLineParser& parser, CommonOptions& options) {
    if (auto error = ReadPort(parser, kTelnetPortOptionName, options.telnetPort)) return error;
    if (auto error = ReadPort(parser, kDiscoveryPortOptionName, options.discoveryPort)) return error;

    QString value;
    if (parser.isSet(QString::fromLatin1(kBroadcastOptionName))) {
        if (auto error = SingleValue(parser, kBroadcastOptionName, value)) return error;
        if (!IsDottedIpv4Address(value.toStdString()))
            return Refusal(kBroadcastOptionName, "a dotted IPv4 address", value);
        options.broadcast = value.toStdString();
    }
    if (parser.isSet(QString::fromLatin1(kTimeScaleOptionName))) {
        if (auto error = SingleValue(parser, kTimeScaleOptionName, value)) return error;
        const auto factor = ParsePlainDecimal(value);
        if (!factor || *factor < 1.0 || *factor > 20.0)
            return Refusal(kTimeScaleOptionName, "a number from 1 to 20", value);
        options.timeScale = *factor;
    }
    if (parser.isSet(QString::fromLatin1(kTranscriptOptionName))) {
        if (auto error = SingleValue(parser, kTranscriptOptionName, value)) return error;
        if (value.isEmpty()) return "option --" + std::string(kTranscriptOptionName) + " needs a file name";
        options.transcriptFile = value.toStdString();
    }
    return std::nullopt;
}

}  // namespace dezadav
