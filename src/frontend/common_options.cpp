#include "frontend/common_options.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cmath>

#include "discovery/discovery_targets.h"
#include "lang/messages.h"
#include "text/decimal_text.h"

namespace dezadav {

namespace {

// Digits, optionally a point and more digits: no sign, exponent or spaces, so what a user reads is
// what is used.
std::optional<double> ParsePlainDecimal(const QString& value) {
    const std::string text = value.toStdString();
    const DigitRun whole = ReadDigitRun(text);
    if (whole.length == 0) return std::nullopt;
    if (whole.length == text.size()) return static_cast<double>(whole.value);
    if (text[whole.length] != '.') return std::nullopt;
    const std::string_view rest = std::string_view(text).substr(whole.length + 1);
    const DigitRun fraction = ReadDigitRun(rest);
    if (fraction.length == 0 || fraction.length != rest.size() || fraction.length > 6) return std::nullopt;
    return static_cast<double>(whole.value) +
           static_cast<double>(fraction.value) / std::pow(10.0, static_cast<double>(fraction.length));
}

std::optional<std::uint16_t> ParsePort(const QString& value) {
    const std::string text = value.toStdString();
    const DigitRun run = ReadDigitRun(text);
    if (run.length == 0 || run.length != text.size() || run.value < 1 || run.value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(run.value);
}

// The single value of an option given at most once; an error when it was given more often.
std::optional<std::string> SingleValue(const QCommandLineParser& parser, const char* name, QString& value) {
    const QStringList values = parser.values(QString::fromLatin1(name));
    if (values.size() > 1) return OptionGivenTwiceText(name);
    if (!values.isEmpty()) value = values.front();
    return std::nullopt;
}

std::string Refusal(const char* name, std::string_view wanted, const QString& value) {
    return OptionValueRefusedText(name, wanted, value.toStdString());
}

std::optional<std::string> ReadPort(const QCommandLineParser& parser, const char* name, std::uint16_t& port) {
    if (!parser.isSet(QString::fromLatin1(name))) return std::nullopt;
    QString value;
    if (auto error = SingleValue(parser, name, value)) return error;
    const auto parsed = ParsePort(value);
    if (!parsed) return Refusal(name, kWantedPort, value);
    port = *parsed;
    return std::nullopt;
}

}  // namespace

const char* ProgramVersion() {
    return DEZADAV_VERSION;
}

void NameProgramForUserFolders() {
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
}

std::string DefaultHistoryFolder() {
    return (QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history"))
        .toStdString();
}

std::vector<OptionDescription> CommonOptionDescriptions() {
    return {
        {kTelnetPortOptionName, "N", "TCP port of the routers' command line (default " + std::to_string(kTelnetPort) + ")"},
        {kBroadcastOptionName, "ADDR", "send the router search to this IPv4 address instead of broadcasting it"},
        {kDiscoveryPortOptionName, "N",
         "UDP port the routers answer the search on (default " + std::to_string(kDiscoveryPort) + ")"},
        {kTimeScaleOptionName, "F",
         "make every wait of the router dialogue F times as long (" + std::to_string(kMinTimeScale) + " to " +
             std::to_string(kMaxTimeScale) + ", default " + std::to_string(kMinTimeScale) + ")"},
        {kTranscriptOptionName, "FILE", "append a record of every router exchange to FILE"},
        {kHistoryOptionName, "DIR", "record the routers' settings in DIR (default " + DefaultHistoryFolder() + ")"},
        {kNoHistoryOptionName, "", "record nothing in the history"},
    };
}

void AddCommonOptions(QCommandLineParser& parser) {
    for (const OptionDescription& option : CommonOptionDescriptions()) {
        const QString text = QString::fromStdString(option.text);
        // The window's help reads as sentences.
        const QString sentence = text.left(1).toUpper() + text.mid(1) + QLatin1Char('.');
        const QString name = QString::fromLatin1(option.name);
        parser.addOption(*option.valueName == '\0'
                             ? QCommandLineOption(name, sentence)
                             : QCommandLineOption(name, sentence, QString::fromLatin1(option.valueName)));
    }
}

std::optional<std::string> ReadCommonOptions(const QCommandLineParser& parser, CommonOptions& options) {
    if (auto error = ReadPort(parser, kTelnetPortOptionName, options.telnetPort)) return error;
    if (auto error = ReadPort(parser, kDiscoveryPortOptionName, options.discoveryPort)) return error;

    QString value;
    if (parser.isSet(QString::fromLatin1(kBroadcastOptionName))) {
        if (auto error = SingleValue(parser, kBroadcastOptionName, value)) return error;
        if (!IsDottedIpv4Address(value.toStdString()))
            return Refusal(kBroadcastOptionName, kWantedIpv4Address, value);
        options.broadcast = value.toStdString();
    }
    if (parser.isSet(QString::fromLatin1(kTimeScaleOptionName))) {
        if (auto error = SingleValue(parser, kTimeScaleOptionName, value)) return error;
        const auto factor = ParsePlainDecimal(value);
        if (!factor || *factor < kMinTimeScale || *factor > kMaxTimeScale)
            return Refusal(kTimeScaleOptionName, WantedNumberText(kMinTimeScale, kMaxTimeScale), value);
        options.timeScale = *factor;
    }
    if (parser.isSet(QString::fromLatin1(kTranscriptOptionName))) {
        if (auto error = SingleValue(parser, kTranscriptOptionName, value)) return error;
        if (value.isEmpty()) return OptionNeedsFileNameText(kTranscriptOptionName);
        options.transcriptFile = value.toStdString();
    }
    if (parser.isSet(QString::fromLatin1(kHistoryOptionName))) {
        if (auto error = SingleValue(parser, kHistoryOptionName, value)) return error;
        if (value.isEmpty()) return OptionNeedsFileNameText(kHistoryOptionName);
        options.historyFolder = value.toStdString();
    }
    if (parser.isSet(QString::fromLatin1(kNoHistoryOptionName))) options.noHistory = true;
    return std::nullopt;
}

}  // namespace dezadav
