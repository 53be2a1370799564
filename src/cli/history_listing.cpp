#include "cli/history_listing.h"

#include <QDateTime>
#include <QJsonObject>

#include "cli/json_output.h"

#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "history/record_changes.h"

namespace dezadav::cli {

namespace {

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
    if (entries.empty() && !options.json) {
        messages.ShowMessage(std::string(kMsgWarnCaption.englishDefault),
                             NoRecordsText(options.routers.front(), router->macAddress.empty()),
                             MessageIcon::Exclamation);
    }
    const auto changes = RecordChanges(history, *router, entries, language, language);

    QJsonArray records;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HistoryEntry& entry = entries[i];
        const std::string cause(HistoryCauseWord(entry.cause));
        if (options.json) {
            QJsonObject record{{"id", QString::fromStdString(entry.id)},
                               {"time", TimeText(entry.time)},
                               {"cause", QString::fromStdString(cause)},
                               {"model", QString::fromStdString(entry.model)},
                               {"changes", changes[i] ? QJsonValue(static_cast<qint64>(changes[i]->size()))
                                                      : QJsonValue(QJsonValue::Null)}};
            records.append(record);
            continue;
        }
        const std::string summary = changes[i]                ? FieldsDifferText(changes[i]->size())
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
