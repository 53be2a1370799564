#include "cli/history_listing.h"

#include <QDateTime>
#include <QJsonObject>
#include <cctype>

#include "cli/json_output.h"

#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "history/record_changes.h"

namespace dezadav::cli {

namespace {

QString TimeText(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

QJsonObject RouterKeyJson(const HistoryRouter& router) {
    return QJsonObject{{QStringLiteral("mac"), QString::fromStdString(router.macAddress)},
                       {QStringLiteral("ip"), QString::fromStdString(router.ipAddress)},
                       {QStringLiteral("model"), QString::fromStdString(router.modelName)}};
}

}  // namespace

std::optional<HistoryRouter> HistoryKeyOf(const CliOptions& options, const LanguageTable& language,
                                          MessagePort& messages) {
    const std::string& given = options.routers.front();
    if (IsMacAddressText(given)) return HistoryRouter{given, {}, {}};
    std::optional<RouterInfo> answer;
    if (!AskRouterAt(given, options.common.discoveryPort, options.waitMs, language, messages, answer))
        return std::nullopt;
    if (answer) return HistoryRouter{answer->macAddress, given, answer->modelName};
    return HistoryRouter{{}, given, {}};
}

std::optional<std::string> RecordIdNamed(const std::vector<HistoryEntry>& newestFirst, const std::string& name,
                                         const std::string& routerName, std::string& reason) {
    if (name == kBeforeLastApply) {
        std::optional<std::string> id = BeforeLastApplyId(newestFirst);
        if (!id) reason = NoApplyRecordedText(routerName);
        return id;
    }
    std::string prefix = name;
    for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::optional<std::string> found;
    for (const HistoryEntry& entry : newestFirst) {
        if (!entry.id.starts_with(prefix)) continue;
        if (found) {  // the start of more than one record names none of them
            found.reset();
            break;
        }
        found = entry.id;
    }
    if (!found) reason = NoSuchRecordText(name, routerName);
    return found;
}

int RunHistory(const CliOptions& options, SettingsHistory& history, std::ostream& out,
               const LanguageTable& language, MessagePort& messages) {
    const std::optional<HistoryRouter> router = HistoryKeyOf(options, language, messages);
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
        // Without a count, the note says why: the first record has none before it.
        const std::string_view note = changes[i]                ? std::string_view()
                                      : i + 1 == entries.size() ? kFirstRecord
                                                                : kRecordUnreadable;
        if (options.json) {
            QJsonObject record{{"id", QString::fromStdString(entry.id)},
                               {"time", TimeText(entry.time)},
                               {"cause", QString::fromStdString(cause)},
                               {"model", QString::fromStdString(entry.model)}};
            if (changes[i]) {
                record[QStringLiteral("changes")] = static_cast<qint64>(changes[i]->size());
            } else {
                record[QStringLiteral("note")] = QString::fromUtf8(note.data(), static_cast<qsizetype>(note.size()));
            }
            records.append(record);
            continue;
        }
        const std::string summary = changes[i] ? FieldsDifferText(changes[i]->size()) : std::string(note);
        out << TimeText(entry.time).toStdString() << '\t' << cause << '\t' << entry.model << '\t' << entry.id
            << '\t' << summary << '\n';
    }
    if (options.json) {
        out << JsonDocumentText(
            QJsonObject{{QStringLiteral("router"), RouterKeyJson(*router)}, {QStringLiteral("records"), records}});
    }
    out << std::flush;
    return kExitOk;
}

}  // namespace dezadav::cli
