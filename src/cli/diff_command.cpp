#include "cli/diff_command.h"

#include <QJsonArray>
#include <algorithm>
#include <optional>

#include "cli/history_listing.h"
#include "cli/json_output.h"
#include "cli/router_job.h"
#include "cli/router_names.h"
#include "cli/stream_message_port.h"
#include "lang/messages.h"
#include "settings/router_model.h"
#include "settings/settings_difference.h"
#include "settings/settings_file.h"
#include "settings/settings_file_form.h"
#include "settings/settings_json.h"
#include "settings/settings_snapshot.h"

namespace dezadav::cli {

namespace {

// One side as read: the settings file's text and the router form it was written in, when known.
struct ReadSide {
    std::string text;
    std::optional<bool> twoPort;
    bool fromRouter = false;
    std::string document;  // a JSON document as given (text: what it names over a new program's settings)
};

// A fetch's file caught instead of written; every message goes to stderr, so standard output
// carries only the differences.
class CapturedFetch : public RouterJobOutput {
public:
    explicit CapturedFetch(std::ostream& err) : m_messages(err, err) {}
    void PrintLine(const std::string&) override {}
    void WriteData(const std::string& bytes) override { text = bytes; }
    void ShowMessage(const std::string& caption, const std::string& message, MessageIcon icon) override {
        m_messages.ShowMessage(caption, message, icon);
    }
    std::string text;

private:
    StreamMessagePort m_messages;
};

std::optional<ReadSide> ReadRouter(std::string host, const CliOptions& options, const FleetContext& context,
                                   const RunPasswords& passwords) {
    std::vector<std::string> resolved{std::move(host)};
    if (auto error = ResolveRouterNames(resolved)) {
        context.err << CliErrorLine(*error) << std::flush;
        return std::nullopt;
    }
    RouterJobRequest request = BaseRequest(options, context, RouterJobKind::Fetch, passwords);
    request.routerIp = resolved.front();
    request.outputFile = kStandardOutputName;
    request.history = nullptr;  // a diff only reads: it keeps no record of what it saw
    CapturedFetch output(context.err);
    const RouterJobResult result = RunRouterJob(request, context.language, output);
    if (!result.ok) return std::nullopt;
    return ReadSide{std::move(output.text), IsTwoPortModel(result.router.modelName), true, {}};
}

std::optional<ReadSide> ReadFile(const std::string& path, const FleetContext& context) {
    std::string reason;
    std::optional<std::string> text = ReadSettingsFile(path, &reason);
    if (text && IsSettingsJson(*text)) {
        // A document stands for what it names over a new program's settings.
        const std::optional<bool> twoPort = SettingsJsonIsTwoPort(*text);
        const SettingsJsonRead read =
            ReadSettingsJson(*text, {}, twoPort.value_or(false), false, AllSettingsFileWords(context.language));
        if (!read.problem) return ReadSide{read.text, twoPort, false, *text};
        text.reset();
        reason = *read.problem;
    }
    if (text && !HoldsSettingsSection(*text)) {
        text.reset();
        reason = kNoSettingsSectionReason;
    }
    if (!text) {
        context.err << CliErrorLine(DiffSideUnreadableText(path, reason)) << std::flush;
        return std::nullopt;
    }
    const std::optional<bool> twoPort = SettingsFileIsTwoPort(*text, context.language);
    return ReadSide{std::move(*text), twoPort, false, {}};
}

// A record of --router's history: "record:ID" or "record:before-last-apply". A record holds what the
// router held, so it is compared as a router is (no dial-plan names).
std::optional<ReadSide> ReadRecord(const std::string& name, const HistoryRouter& router, const FleetContext& context) {
    const auto fail = [&](const std::string& reason) {
        context.err << CliErrorLine(DiffSideUnreadableText(std::string(kRecordSidePrefix) + name, reason)) << std::flush;
        return std::nullopt;
    };
    if (context.history == nullptr) return fail(std::string(kNoHistoryKept));
    std::optional<std::string> problem;
    const std::vector<HistoryEntry> entries = context.history->Entries(router, &problem);
    if (problem) return fail(*problem);
    std::string reason;
    const std::optional<std::string> id = RecordIdNamed(entries, name, router.Name(), reason);
    if (!id) return fail(reason);
    std::optional<std::string> text = context.history->SettingsAt(router, *id, &problem);
    if (!text) return fail(problem.value_or(std::string()));
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const HistoryEntry& e) { return e.id == *id; });
    return ReadSide{std::move(*text), IsTwoPortModel(entry->model), true, {}};
}

// Tabs and line breaks inside a value would break the output's lines and columns.
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

QString Json(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// Each side of the command line read: a file, a JSON document, a router read live or a record of
// --router. Nothing (its reason printed) when one cannot be read.
std::optional<std::vector<ReadSide>> ReadSides(const CliOptions& options, const FleetContext& context) {
    std::vector<RouterInfo> routers;
    for (const std::string& side : options.diffSides) {
        if (!side.starts_with(kRouterSidePrefix)) continue;
        RouterInfo router;
        router.ipAddress = side.substr(kRouterSidePrefix.size());
        routers.push_back(router);
    }
    RunPasswords passwords;
    int exitStatus = kExitOk;
    if (!routers.empty() && !PreparePasswords(options, context, routers, passwords, exitStatus)) return std::nullopt;
    // The records are --router's, looked up once.
    std::optional<HistoryRouter> recordsOf;
    const bool records = std::any_of(options.diffSides.begin(), options.diffSides.end(),
                                     [](const std::string& side) { return side.starts_with(kRecordSidePrefix); });
    if (records) {
        StreamMessagePort messages(context.err, context.err);
        recordsOf = HistoryKeyOf(options, context.language, messages);
        if (!recordsOf) return std::nullopt;
    }

    std::vector<ReadSide> sides;
    for (const std::string& side : options.diffSides) {
        std::optional<ReadSide> read =
            side.starts_with(kRouterSidePrefix)   ? ReadRouter(side.substr(kRouterSidePrefix.size()), options, context, passwords)
            : side.starts_with(kRecordSidePrefix) ? ReadRecord(side.substr(kRecordSidePrefix.size()), *recordsOf, context)
                                                  : ReadFile(side, context);
        if (!read) return std::nullopt;
        sides.push_back(std::move(*read));
    }
    return sides;
}

int RunDiff(const CliOptions& options, const FleetContext& context) {
    std::optional<std::vector<ReadSide>> read = ReadSides(options, context);
    if (!read) return kExitUsage;
    std::vector<ReadSide>& sides = *read;
    // B given as a JSON document is what applying it to A would make of A.
    if (!sides[1].document.empty()) {
        const bool form = sides[1].twoPort.value_or(sides[0].twoPort.value_or(false));
        const SettingsJsonRead read = ReadSettingsJson(sides[1].document, sides[0].text, form, false,
                                                       AllSettingsFileWords(context.language));
        if (read.problem) {
            context.err << CliErrorLine(DiffSideUnreadableText(options.diffSides[1], *read.problem)) << std::flush;
            return kExitUsage;
        }
        sides[1].text = read.text;
        sides[1].twoPort = form;
    }

    // Each side is read in the form it was written in (its expiry lists are positions in that
    // form's list); the fields compared are those B's form keeps, B being what A is to become.
    const bool twoPort = sides[1].twoPort.value_or(sides[0].twoPort.value_or(false));
    std::vector<std::unique_ptr<SettingsSnapshot>> loaded;
    for (std::size_t i = 0; i < sides.size(); ++i) {
        bool complete = false;
        std::optional<SettingsFileProblem> problem;
        loaded.push_back(ReadSettingsSnapshot(sides[i].text, sides[i].twoPort.value_or(twoPort), context.language,
                                              &complete, &problem));
        if (problem) {
            context.err << CliErrorLine(problem->Message(options.diffSides[i])) << std::flush;
            return kExitUsage;
        }
        if (!complete) {
            context.err << CliErrorLine(
                               DiffSideUnreadableText(options.diffSides[i], kSectionUnreadableReason))
                        << std::flush;
            return kExitUsage;
        }
    }
    CompareOptions compare;
    compare.twoPort = twoPort;
    compare.dialPlanNames = !sides[0].fromRouter && !sides[1].fromRouter;
    compare.showSecrets = options.showSecrets;
    const std::vector<FieldDifference> differences =
        CompareSettings(loaded[0]->View(), loaded[1]->View(), compare, context.language);

    if (options.json) {
        QJsonArray fields;
        for (const FieldDifference& d : differences) {
            fields.append(QJsonObject{{QStringLiteral("area"), Json(d.area)},
                                      {QStringLiteral("field"), Json(d.field)},
                                      {QStringLiteral("a"), Json(d.before)},
                                      {QStringLiteral("b"), Json(d.after)}});
        }
        const QJsonObject document{{QStringLiteral("a"), Json(options.diffSides[0])},
                                   {QStringLiteral("b"), Json(options.diffSides[1])},
                                   {QStringLiteral("twoPort"), twoPort},
                                   {QStringLiteral("equal"), differences.empty()},
                                   {QStringLiteral("differences"), fields}};
        context.out << JsonDocumentText(document);
    } else {
        for (const FieldDifference& d : differences) {
            context.out << Field(d.area) << '\t' << Field(d.field) << '\t' << Field(d.before) << '\t'
                        << Field(d.after) << '\n';
        }
    }
    context.out << std::flush;
    return differences.empty() ? kExitOk : kExitFailed;
}

int RunShow(const CliOptions& options, const FleetContext& context) {
    std::optional<std::vector<ReadSide>> read = ReadSides(options, context);
    if (!read) return kExitUsage;
    const ReadSide& side = read->front();
    const bool twoPort = side.twoPort.value_or(false);
    if (options.json) {
        std::string problem;
        const std::optional<std::string> document =
            SettingsJsonFromText(side.text, twoPort, options.model.value_or(""), options.showSecrets,
                                 AllSettingsFileWords(context.language), &problem);
        if (!document) {
            context.err << CliErrorLine(DiffSideUnreadableText(options.diffSides[0], problem)) << std::flush;
            return kExitUsage;
        }
        context.out << *document << std::flush;
        return kExitOk;
    }
    std::optional<SettingsFileProblem> problem;
    const std::unique_ptr<SettingsSnapshot> settings =
        ReadSettingsSnapshot(side.text, twoPort, context.language, nullptr, &problem);
    if (problem) {
        context.err << CliErrorLine(problem->Message(options.diffSides[0])) << std::flush;
        return kExitUsage;
    }
    CompareOptions every;
    every.twoPort = twoPort;
    every.dialPlanNames = !side.fromRouter;
    every.showSecrets = options.showSecrets;
    every.everyField = true;
    for (const FieldDifference& field : CompareSettings(settings->View(), settings->View(), every, context.language)) {
        context.out << Field(field.area + std::string(kFieldPathSeparator) + field.field) << '\t' << Field(field.after)
                    << '\n';
    }
    context.out << std::flush;
    return kExitOk;
}

}  // namespace dezadav::cli
