#include "cli/option_defaults.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "lang/messages.h"

namespace dezadav::cli {

const std::vector<DefaultableOption>& DefaultableOptions() {
    static const std::vector<DefaultableOption> options = {
        {kTelnetPortOptionName, "DEZADAV_TELNET_PORT"}, {kDiscoveryPortOptionName, "DEZADAV_DISCOVERY_PORT"},
        {kBroadcastOptionName, "DEZADAV_BROADCAST"},    {kJobsOptionName, "DEZADAV_JOBS"},
        {kTimeScaleOptionName, "DEZADAV_TIME_SCALE"},   {kTranscriptOptionName, "DEZADAV_TRANSCRIPT"},
        {kHistoryOptionName, "DEZADAV_HISTORY"},
    };
    return options;
}

std::optional<std::string> ReadOptionDefaults(
    const std::string& configFile, const std::function<std::optional<std::string>(const char*)>& environment,
    std::vector<OptionDefault>& defaults) {
    const QString path = QString::fromStdString(configFile);
    if (QFileInfo::exists(path)) {
        QSettings file(path, QSettings::IniFormat);
        if (file.status() != QSettings::NoError) return SettingsFileUnreadableText(configFile);
        for (const QString& key : file.allKeys()) {
            // Keys before any [section] are in the INI format's general section, where they belong.
            const std::string name = key.toStdString();
            const auto& known = DefaultableOptions();
            if (std::none_of(known.begin(), known.end(), [&](const auto& o) { return name == o.name; }))
                return UnknownSettingText(configFile, name);
            // A value with a comma reads as a list; the file means the text as written.
            const QVariant value = file.value(key);
            const QString text = value.typeId() == QMetaType::QStringList
                                     ? value.toStringList().join(QLatin1Char(','))
                                     : value.toString();
            defaults.push_back({name, text.toStdString(), configFile});
        }
    }
    for (const DefaultableOption& option : DefaultableOptions()) {
        const std::optional<std::string> value = environment(option.environment);
        if (value && !value->empty()) defaults.push_back({option.name, *value, option.environment});
    }
    return std::nullopt;
}

std::string CliConfigFilePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QStringLiteral("/dezadav/cli.conf")).toStdString();
}

}  // namespace dezadav::cli
