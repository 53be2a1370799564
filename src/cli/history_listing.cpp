#include "cli/history_listing.h"

#include <QDateTime>
#include <QJsonObject>

#include "cli/json_output.h"

#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "settings/router_form_change.h"
#include "settings/settings_difference.h"
#include "settings/settings_file.h"

namespace dezadav::cli {

namespace {

class DiscardedMessages : public MessagePort {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

// The router as the history keys it: by the MAC given, or by the MAC of the discovery answer from
// the IP address given (by that address when none comes). Nothing when the request cannot be sent.
std::optional<HistoryRouter> RouterOf(const CliOptions& options, const LanguageTable& language,
                                      MessagePort& messages) {
    const std::string& given = options.routers.front();
    if (IsMacAddressText(given)) return HistoryRouter{given, {}, {}};
    SearchOptions search;
    search.target = given;
    search.port = options.common.discoveryPort;
    search.waitMs = options.waitMs;
    search.stopAfter = 1;
    const auto answers = SearchRouters(search, language, messages);
    if (!answers) return std::nullopt;
    for (const RouterInfo& answer : *answers) {
        if (answer.ipAddress == given) return HistoryRouter{answer.macAddress, given, answer.modelName};
    }
    return HistoryRouter{{}, given, {}};
}

// One record's settings, read as a settings file in the form of the model it was recorded from.
struct RecordSettings {
    explicit RecordSettings(const LanguageTable& language) : sip(language), codec(language) {}
    DialPlanTable dialPlan;
    SipSettings sip;
    CodecSettings codec;
    CallLogTable callLog;
};

std::unique_ptr<RecordSettings> ReadRecord(SettingsHistory& history, const HistoryRouter& router,
                                           const HistoryEntry& entry, const LanguageTable& language) {
    std::optional<std::string> problem;
    const std::optional<std::string> text = history.SettingsAt(router, entry.id, &problem);
    if (!text) return nullptr;
    auto settings = std::make_unique<RecordSettings>(language);
    const bool twoPort = IsTwoPortModel(entry.model);
    settings->sip.SetTwoPort(twoPort);
    BringCodecChoicesToForm(settings->codec, twoPort);
    DiscardedMessages discarded;
    LoadSettingsText(*text,
                     SettingsModels{settings->dialPlan, settings->sip, settings->codec, settings->callLog},
                     language, discarded);
    return settings;
}

// How many fields differ from each record to the next newer one, newest first; nothing for the first
// record and for a record that cannot be read.
std::vector<std::optional<std::size_t>> Changes(SettingsHistory& history, const HistoryRouter& router,
                                                const std::vector<HistoryEntry>& entries,
                                                const LanguageTable& language) {
    std::vector<std::optional<std::size_t>> changes(entries.size());
    std::unique_ptr<RecordSettings> older;
    for (std::size_t i = entries.size(); i-- > 0;) {
        std::unique_ptr<RecordSettings> current = ReadRecord(history, router, entries[i], language);
        if (current && older) {
            const CompareOptions compare{IsTwoPortModel(entries[i].model), false, false};
            changes[i] = CompareSettings(SettingsView{older->dialPlan, older->sip, older->codec},
                                         SettingsView{current->dialPlan, current->sip, current->codec}, compare,
                                         language)
                             .size();
        }
        older = std::move(current);  // walking from the oldest: this one is the next one's "before"
    }
    return changes;
}

QString TimeText(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

}  // namespace

int RunHistory(const CliOptions& options, SettingsHistory& history, std::ostream& out,
               const LanguageTable& language, MessagePort& messages) {
    const std::optional<HistoryRouter> router = RouterOf(options, language, messages);
    if (!router) return kExitFailed;
    std::optional<std::string> problem;
    const std::vector<HistoryEntry> entries = history.Entries(*router, &problem);
    if (problem) {
        messages.ShowMessage(std::string(kMsgErrorCaption.englishDefault), *problem, MessageIcon::Stop);
        return kExitFailed;
    }
    const auto changes = Changes(history, *router, entries, language);

    QJsonArray records;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HistoryEntry& entry = entries[i];
        const std::string cause(HistoryCauseWord(entry.cause));
        if (options.json) {
            QJsonObject record{{"id", QString::fromStdString(entry.id)},
                               {"time", TimeText(entry.time)},
                               {"cause", QString::fromStdString(cause)},
                               {"model", QString::fromStdString(entry.model)},
                               {"changes", changes[i] ? QJsonValue(static_cast<qint64>(*changes[i]))
                                                      : QJsonValue(QJsonValue::Null)}};
            records.append(record);
            continue;
        }
        const std::string summary = changes[i]                ? FieldsDifferText(*changes[i])
                                    : i + 1 == entries.size() ? std::string(kFirstRecord)
                                                              : std::string(kRecordUnreadable);
        out << TimeText(entry.time).toStdString() << '\t' << cause << '\t' << entry.model << '\t' << entry.id
            << '\t' << summary << '\n';
    }
    if (options.json) out << JsonDocumentText(records);
    out << std::flush;
    return kExitOk;
}

}  // namespace dezadav::cli
