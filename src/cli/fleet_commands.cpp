#include "cli/fleet_commands.h"

#include <QJsonObject>

#include <QDir>
#include <QJsonArray>
#include <QTemporaryFile>
#include <algorithm>
#include <fstream>

#include "cli/apply_interrupt.h"
#include "cli/descriptor_limit.h"
#include "cli/json_output.h"
#include "cli/parallel_jobs.h"
#include "cli/progress_line.h"
#include "cli/stream_message_port.h"
#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "history/git_history_loader.h"
#include "lang/messages.h"
#include "settings/save_file_writer.h"

namespace dezadav::cli {

namespace {

inline constexpr const char* kIndexFileName = "index.tsv";

// Prints what the jobs report, each line led by its router's address and a TAB, and keeps the
// progress line below the output. When standard output carries a JSON document, every line goes to
// stderr instead.
class PrefixingListener : public JobListener {
public:
    PrefixingListener(const FleetContext& context, const std::vector<RouterJobRequest>& requests,
                      std::string_view verb, bool json = false)
        : m_context(context),
          m_lines(json ? context.err : context.out),
          m_requests(requests),
          m_progress(context.err, context.errIsTerminal, std::string(verb), requests.size()) {
        m_progress.Redraw();
    }

    void Printed(std::size_t job, const std::string& line) override { Write(m_lines, job, line); }
    void Shown(std::size_t job, const std::string& text, bool isError) override {
        Write(isError ? m_context.err : m_lines, job, text);
    }
    void Finished(std::size_t, const JobOutcome& outcome) override {
        ++m_done;
        if (!outcome.result.ok && !outcome.result.unsupportedModel) ++m_failed;
        m_progress.Update(m_done, m_failed);
    }
    void End() { m_progress.Clear(); }

private:
    void Write(std::ostream& stream, std::size_t job, const std::string& text) {
        m_progress.Clear();
        stream << m_requests[job].routerIp << '\t' << text << '\n' << std::flush;
        m_progress.Redraw();
    }

    const FleetContext& m_context;
    std::ostream& m_lines;
    const std::vector<RouterJobRequest>& m_requests;
    ProgressLine m_progress;
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
};

bool Failed(const JobOutcome& outcome) {
    return !outcome.result.ok && !outcome.result.unsupportedModel;
}

// Tabs and line breaks inside a field would break the index's lines and columns.
std::string IndexField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// How one router of a backup run ended: its index line and its entry in the JSON document.
struct BackupRow {
    RouterInfo router;
    std::string file;        // the backup file's name in the folder; empty when none was written
    std::string_view state;  // kIndexOk, kIndexUnsupportedModel or kIndexFailed
    std::string failure;     // a failure's message, when it showed one
};

std::string IndexLine(const BackupRow& row) {
    std::string line;
    for (const std::string* field : {&row.router.macAddress, &row.router.ipAddress, &row.router.modelName,
                                     &row.router.firmwareVersion, &row.file}) {
        line += IndexField(*field) + '\t';
    }
    const std::string status = row.failure.empty() ? std::string(row.state) : row.failure;
    return line + IndexField(status) + '\n';
}

QJsonObject BackupRowJson(const BackupRow& row) {
    QJsonObject entry = RouterJson(row.router);
    entry[QStringLiteral("file")] = QString::fromStdString(row.file);
    entry[QStringLiteral("status")] =
        QString::fromUtf8(row.state.data(), static_cast<qsizetype>(row.state.size()));
    entry[QStringLiteral("message")] = QString::fromStdString(row.failure);
    return entry;
}

// The lines of the index at `path` (an earlier run's) whose router is none of `rows`, as they were.
std::string KeptIndexLines(const std::string& path, const std::vector<BackupRow>& rows) {
    std::ifstream earlier(path, std::ios::binary);
    std::string kept;
    std::string line;
    while (std::getline(earlier, line)) {
        // The first two columns are the MAC and the IP address.
        const std::size_t macEnd = line.find('\t');
        if (macEnd == std::string::npos) continue;
        const std::size_t ipEnd = line.find('\t', macEnd + 1);
        const std::string mac = line.substr(0, macEnd);
        const std::string ip = line.substr(macEnd + 1, ipEnd == std::string::npos ? std::string::npos : ipEnd - macEnd - 1);
        const bool ran = std::any_of(rows.begin(), rows.end(), [&](const BackupRow& row) {
            return (!mac.empty() && IndexField(row.router.macAddress) == mac) ||
                   (mac.empty() && row.router.macAddress.empty() && IndexField(row.router.ipAddress) == ip);
        });
        if (!ran) kept += line + '\n';
    }
    return kept;
}

// Commits the files a backup run wrote when its folder is a git work tree. False when the commit
// failed (its reason has been printed).
bool CommitBackup(const std::string& dir, const std::vector<std::string>& files, const std::string& message,
                  std::ostream& err, bool* committed) {
    std::string problem;
    if (git_module::CommitFolderFiles(dir, files, message, std::string("dezadav-cli ") + ProgramVersion(), &problem,
                                      committed))
        return true;
    err << CliErrorLine(BackupNotCommittedText(dir, problem)) << std::flush;
    return false;
}

// The backup folder, made when missing; the reason when no file can be written there. Found out
// before any router is logged in to, so a run cannot end with every router read and nothing kept.
std::optional<std::string> BackupFolderProblem(const std::string& dir) {
    if (!QDir().mkpath(QString::fromStdString(dir))) return CannotCreateFolderText(dir);
    QTemporaryFile probe(QDir(QString::fromStdString(dir)).filePath(QStringLiteral(".dezadav-XXXXXX")));
    if (!probe.open()) return CannotWriteIntoFolderText(dir, probe.errorString().toStdString());
    return std::nullopt;
}

// How many of `routers` are served at once: --jobs of them, as far as the open-file limit allows
// (raised for the run when it can be); a run that must go in turns says so on stderr.
JobLimit JobsThatFit(const CliOptions& options, std::size_t routers, std::ostream& err) {
    const std::size_t wanted = std::min(static_cast<std::size_t>(JobLimit(options.jobs).Count()), routers);
    const JobRoom room = MakeRoomForJobs(wanted);
    if (room.jobs < wanted) err << FewerJobsText(wanted, room.jobs, room.fileLimit) << '\n' << std::flush;
    return JobLimit(static_cast<int>(room.jobs));
}

// The last line of a many-router run, on stderr.
void PrintSummary(std::ostream& err, std::size_t ok, std::size_t unsupported, std::size_t failed) {
    err << FleetSummaryText(ok, unsupported, failed) << '\n' << std::flush;
}

// The router's own discovery answer, when it gives one within --wait.
std::optional<RouterInfo> AskForFields(const std::string& ip, const CliOptions& options,
                                       const LanguageTable& language, MessagePort& messages) {
    std::optional<RouterInfo> answer;
    AskRouterAt(ip, options.common.discoveryPort, options.waitMs, language, messages, answer);
    return answer;
}

// The routers to back up, in discovery or command-line order: the --router list, or the routers that
// answered one search (each address once). Nothing when the search could not be made.
std::optional<std::vector<RouterInfo>> BackupTargets(const CliOptions& options, const FleetContext& context) {
    std::vector<RouterInfo> routers;
    if (!options.routers.empty()) {
        for (const std::string& ip : options.routers) {
            RouterInfo router;
            router.ipAddress = ip;
            routers.push_back(router);
        }
        return routers;
    }
    StreamMessagePort messages(context.out, context.err);
    SearchOptions search;
    search.target = options.common.broadcast.value_or(std::string(kDefaultDiscoverTarget));
    search.port = options.common.discoveryPort;
    search.waitMs = options.waitMs;
    auto found = SearchRouters(search, context.language, messages);
    if (!found) return std::nullopt;
    for (const RouterInfo& router : *found) {
        const bool seen = std::any_of(routers.begin(), routers.end(),
                                      [&](const RouterInfo& r) { return r.ipAddress == router.ipAddress; });
        if (!seen) routers.push_back(router);
    }
    return routers;
}

}  // namespace

RouterJobRequest BaseRequest(const CliOptions& options, const FleetContext& context, RouterJobKind kind,
                             const RunPasswords& passwords) {
    RouterJobRequest request;
    request.kind = kind;
    request.model = options.model;
    request.password = passwords.common;
    request.passwords = passwords.tableGiven ? &passwords.table : nullptr;
    request.noCommonPassword = passwords.noCommon;
    request.common = options.common;
    request.waitMs = options.waitMs;
    request.backupDir = options.backupDir;
    request.inputFile = options.inputFile;
    request.inputText = options.inputText;
    request.inputSource = options.inputSource;
    request.outputFile = options.outputFile;
    request.fromBackupDir = options.fromBackupDir;
    request.force = options.force;
    request.showSecrets = options.showSecrets;
    request.jsonSettings = options.jsonSettings;
    request.replace = options.replace;
    request.transcript = context.transcript;
    request.history = context.history;
    if (options.command == CliCommand::Restore) request.restoreTo = options.restoreTo;
    return request;
}

bool PreparePasswords(const CliOptions& options, const FleetContext& context, std::vector<RouterInfo>& routers,
                      RunPasswords& passwords, int& exitStatus) {
    if (options.passwordsFile) {
        std::string error;
        if (!ReadPasswordTable(*options.passwordsFile, passwords.table, &error)) {
            context.err << CliErrorLine(error) << std::flush;
            exitStatus = kExitFailed;
            return false;
        }
        passwords.tableGiven = true;
    }
    const PasswordTable& table = passwords.table;
    if (table.KeysByMac()) {
        StreamMessagePort messages(context.err, context.err);
        for (RouterInfo& router : routers) {
            if (!router.macAddress.empty() || table.Has(router.ipAddress, {})) continue;
            if (auto answer = AskForFields(router.ipAddress, options, context.language, messages)) router = *answer;
        }
    }
    const auto hasOwn = [&](const RouterInfo& r) { return table.Has(r.ipAddress, r.macAddress); };
    if (passwords.tableGiven && std::all_of(routers.begin(), routers.end(), hasOwn)) return true;
    PasswordOutcome password = context.commonPassword();
    if (password.password) {
        passwords.common = *password.password;
        return true;
    }
    // Those with a line of their own still run; each of the others fails with its name.
    if (!password.usageError || std::none_of(routers.begin(), routers.end(), hasOwn)) {
        if (password.usageError) {
            context.err << UsageErrorText(password.error, CommandWord(options.command)) << std::flush;
            exitStatus = kExitUsage;
        } else {
            context.err << password.error << '\n' << std::flush;
            exitStatus = kExitFailed;
        }
        return false;
    }
    passwords.noCommon = true;
    return true;
}

int RunBackup(const CliOptions& options, const FleetContext& context) {
    auto routers = BackupTargets(options, context);
    if (!routers) return kExitFailed;
    if (routers->empty()) {
        // An empty index over an earlier backup would read as "no routers here".
        context.err << CliErrorLine(kNothingBackedUp) << std::flush;
        return kExitFailed;
    }
    if (auto problem = BackupFolderProblem(options.backupDir)) {
        context.err << CliErrorLine(*problem) << std::flush;
        return kExitFailed;
    }

    // A router found by the search with a model this program does not handle is listed, not served.
    const bool searched = options.routers.empty();
    std::vector<RouterInfo> served;
    for (const RouterInfo& router : *routers) {
        if (!searched || options.model || IsSupportedModel(router.modelName)) served.push_back(router);
    }

    RunPasswords passwords;
    int exitStatus = kExitOk;
    if (!served.empty() && !PreparePasswords(options, context, served, passwords, exitStatus)) return exitStatus;

    std::vector<RouterJobRequest> requests;
    for (const RouterInfo& router : served) {
        RouterJobRequest request = BaseRequest(options, context, RouterJobKind::Backup, passwords);
        request.routerIp = router.ipAddress;
        // A discovery answer in hand (the search's, or the one that told the MAC for a password).
        if (searched || !router.macAddress.empty()) request.knownRouter = router;
        requests.push_back(std::move(request));
    }
    PrefixingListener listener(context, requests, kProgressBackup, options.json);
    const std::vector<JobOutcome> outcomes =
        RunJobsInParallel(requests, JobsThatFit(options, requests.size(), context.err), context.language, listener);
    listener.End();

    std::vector<BackupRow> rows;
    std::size_t next = 0;
    for (const RouterInfo& router : *routers) {
        if (next < served.size() && served[next].ipAddress == router.ipAddress) {
            const JobOutcome& outcome = outcomes[next++];
            if (outcome.result.ok) {
                rows.push_back({outcome.result.router, outcome.result.backupFile, kIndexOk, {}});
            } else if (outcome.result.unsupportedModel) {
                rows.push_back({outcome.result.router, {}, kIndexUnsupportedModel, {}});
            } else {
                rows.push_back({outcome.result.router, {}, kIndexFailed, outcome.failure});
            }
        } else {
            rows.push_back({router, {}, kIndexUnsupportedModel, {}});
        }
    }
    const auto count = [&rows](std::string_view state) {
        return static_cast<std::size_t>(std::count_if(
            rows.begin(), rows.end(), [state](const BackupRow& row) { return row.state == state; }));
    };
    const std::size_t ok = count(kIndexOk);
    const std::size_t unsupported = count(kIndexUnsupportedModel);
    const std::size_t failed = count(kIndexFailed);
    if (failed > 0) exitStatus = kExitFailed;
    std::size_t notRecorded = 0;
    for (const JobOutcome& outcome : outcomes) notRecorded += outcome.result.recordsNotWritten;

    std::string index;
    std::vector<std::string> written;
    for (const BackupRow& row : rows) {
        index += IndexLine(row);
        if (!row.file.empty()) written.push_back(row.file);
    }
    const std::string indexPath = options.backupDir + '/' + kIndexFileName;
    // Routers of earlier runs that this one did not reach keep their rows.
    index += KeptIndexLines(indexPath, rows);
    SaveFileWriter files;
    const FileWriteResult indexWritten = files.WriteWhole(indexPath, index, FileSecrecy::Plain);
    if (indexWritten.ok) {
        written.push_back(kIndexFileName);
    } else {
        context.err << CliErrorLine(CannotWriteFileText(indexPath, indexWritten.reason)) << std::flush;
        exitStatus = kExitFailed;
    }
    // A run into a git work tree becomes one commit, so the folder's log shows every router over time.
    const bool gitFolder = git_module::IsGitWorkTree(options.backupDir);
    bool committed = false;
    if (gitFolder &&
        !CommitBackup(options.backupDir, written, BackupCommitMessage(ok, unsupported, failed), context.err, &committed))
        exitStatus = kExitFailed;
    if (notRecorded > 0) {
        context.err << CliErrorLine(RecordsNotWrittenText(notRecorded)) << std::flush;
        exitStatus = kExitFailed;
    }

    if (options.json) {
        QJsonArray entries;
        for (const BackupRow& row : rows) entries.append(BackupRowJson(row));
        QJsonObject document;
        document[QStringLiteral("folder")] = QString::fromStdString(options.backupDir);
        document[QStringLiteral("routers")] = entries;
        document[QStringLiteral("ok")] = static_cast<qint64>(ok);
        document[QStringLiteral("unsupported")] = static_cast<qint64>(unsupported);
        document[QStringLiteral("failed")] = static_cast<qint64>(failed);
        document[QStringLiteral("committed")] = committed;
        context.out << JsonDocumentText(document) << std::flush;
    }
    PrintSummary(context.err, ok, unsupported, failed);
    return exitStatus;
}

// An apply's JSON object: per router what changes (or would) and the commands sent (or not sent).
QJsonObject ApplyDocument(const std::vector<RouterJobRequest>& requests, const std::vector<JobOutcome>& outcomes,
                          bool dryRun) {
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    QJsonArray routers;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const RouterJobResult& result = outcomes[i].result;
        QJsonArray changes;
        for (const FieldDifference& d : result.changes) {
            changes.append(QJsonObject{{"area", text(d.area)}, {"field", text(d.field)},
                                       {"before", text(d.before)}, {"after", text(d.after)}});
        }
        QJsonArray commands;
        for (const std::string& command : result.commands) commands.append(text(command));
        QJsonObject router{{"router", text(requests[i].routerIp)}, {"mac", text(result.router.macAddress)},
                           {"ok", result.ok}, {"changes", changes}, {"commands", commands}};
        if (!outcomes[i].failure.empty()) router.insert("failure", text(outcomes[i].failure));
        routers.append(router);
    }
    return QJsonObject{{"dryRun", dryRun}, {"routers", routers}};
}

int RunApplyToMany(const CliOptions& options, const FleetContext& context) {
    std::vector<RouterInfo> routers;
    for (const std::string& ip : options.routers) {
        RouterInfo router;
        router.ipAddress = ip;
        routers.push_back(router);
    }
    RunPasswords passwords;
    int exitStatus = kExitOk;
    if (!PreparePasswords(options, context, routers, passwords, exitStatus)) return exitStatus;

    std::vector<RouterJobRequest> requests;
    const RouterJobKind kind = options.dryRun ? RouterJobKind::DryRun : RouterJobKind::Apply;
    for (const RouterInfo& router : routers) {
        RouterJobRequest request = BaseRequest(options, context, kind, passwords);
        request.routerIp = router.ipAddress;
        if (!router.macAddress.empty()) request.knownRouter = router;
        requests.push_back(std::move(request));
    }
    PrefixingListener listener(context, requests, options.dryRun ? kProgressDryRun : kProgressApply, options.json);
    const std::vector<JobOutcome> outcomes =
        RunJobsInParallel(requests, JobsThatFit(options, requests.size(), context.err), context.language, listener);
    listener.End();
    if (options.json) context.out << JsonDocumentText(ApplyDocument(requests, outcomes, options.dryRun)) << std::flush;
    const auto failed = static_cast<std::size_t>(std::count_if(outcomes.begin(), outcomes.end(), Failed));
    PrintSummary(context.err, outcomes.size() - failed, 0, failed);
    std::size_t notRecorded = 0;
    for (const JobOutcome& outcome : outcomes) notRecorded += outcome.result.recordsNotWritten;
    if (notRecorded > 0) context.err << CliErrorLine(RecordsNotWrittenText(notRecorded)) << std::flush;
    if (const int signal = ApplyInterruptSignal()) return InterruptedExitStatus(signal);
    return failed > 0 || notRecorded > 0 ? kExitFailed : kExitOk;
}

}  // namespace dezadav::cli
