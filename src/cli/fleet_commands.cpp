#include "cli/fleet_commands.h"

#include <QDir>
#include <QTemporaryFile>

#include "cli/parallel_jobs.h"
#include "cli/progress_line.h"
#include "cli/stream_message_port.h"
#include "discovery/model_rules.h"
#include "discovery/router_search.h"
#include "lang/messages.h"
#include "settings/save_file_writer.h"

namespace dezadav::cli {

namespace {

inline constexpr const char* kIndexFileName = "index.tsv";

// Prints what the jobs report, each line led by its router's address and a TAB, and keeps the
// progress line below the output.
class PrefixingListener : public JobListener {
public:
    PrefixingListener(const FleetContext& context, const std::vector<RouterJobRequest>& requests,
                      std::string_view verb)
        : m_context(context),
          m_requests(requests),
          m_progress(context.err, context.errIsTerminal, std::string(verb), requests.size()) {
        m_progress.Redraw();
    }

    void Printed(std::size_t job, const std::string& line) override { Write(m_context.out, job, line); }
    void Shown(std::size_t job, const std::string& text, bool isError) override {
        Write(isError ? m_context.err : m_context.out, job, text);
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
    const std::vector<RouterJobRequest>& m_requests;
    ProgressLine m_progress;
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
};

bool Failed(const JobOutcome& outcome) {
    return !outcome.result.ok && !outcome.result.unsupportedModel;
}

RouterJobRequest BaseRequest(const CliOptions& options, const FleetContext& context, RouterJobKind kind,
                             const std::string& password, const PasswordTable& table) {
    RouterJobRequest request;
    request.kind = kind;
    request.model = options.model;
    request.password = password;
    request.passwords = options.passwordsFile ? &table : nullptr;
    request.common = options.common;
    request.waitMs = options.waitMs;
    request.backupDir = options.backupDir;
    request.inputFile = options.inputFile;
    request.force = options.force;
    request.showSecrets = options.showSecrets;
    request.transcript = context.transcript;
    request.history = context.history;
    return request;
}

// Tabs and line breaks inside a field would break the index's lines and columns.
std::string IndexField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string IndexLine(const RouterInfo& router, const std::string& file, std::string_view status) {
    std::string line;
    for (const std::string* field :
         {&router.macAddress, &router.ipAddress, &router.modelName, &router.firmwareVersion, &file}) {
        line += IndexField(*field) + '\t';
    }
    return line + IndexField(std::string(status)) + '\n';
}

// The backup folder, made when missing; the reason when no file can be written there. Found out
// before any router is logged in to, so a run cannot end with every router read and nothing kept.
std::optional<std::string> BackupFolderProblem(const std::string& dir) {
    if (!QDir().mkpath(QString::fromStdString(dir))) return CannotCreateFolderText(dir);
    QTemporaryFile probe(QDir(QString::fromStdString(dir)).filePath(QStringLiteral(".dezadav-XXXXXX")));
    if (!probe.open()) return CannotWriteIntoFolderText(dir, probe.errorString().toStdString());
    return std::nullopt;
}

// The last line of a many-router run, on stderr.
void PrintSummary(std::ostream& err, std::size_t ok, std::size_t unsupported, std::size_t failed) {
    err << FleetSummaryText(ok, unsupported, failed) << '\n' << std::flush;
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

bool PreparePasswords(const CliOptions& options, const FleetContext& context,
                      const std::vector<RouterInfo>& routers, PasswordTable& table, std::string& common,
                      int& exitStatus) {
    if (options.passwordsFile) {
        std::string error;
        if (!ReadPasswordTable(*options.passwordsFile, table, &error)) {
            context.err << CliErrorLine(error) << std::flush;
            exitStatus = kExitFailed;
            return false;
        }
    }
    bool everyoneHasOne = options.passwordsFile.has_value();
    for (const RouterInfo& router : routers) {
        everyoneHasOne = everyoneHasOne && table.Has(router.ipAddress, router.macAddress);
    }
    if (everyoneHasOne) return true;
    PasswordOutcome password = context.commonPassword();
    if (!password.password) {
        if (password.usageError) {
            context.err << UsageErrorText(password.error, CommandWord(options.command)) << std::flush;
            exitStatus = kExitUsage;
        } else {
            context.err << password.error << '\n' << std::flush;
            exitStatus = kExitFailed;
        }
        return false;
    }
    common = *password.password;
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

    PasswordTable table;
    std::string password;
    int exitStatus = kExitOk;
    if (!served.empty() && !PreparePasswords(options, context, served, table, password, exitStatus))
        return exitStatus;

    std::vector<RouterJobRequest> requests;
    for (const RouterInfo& router : served) {
        RouterJobRequest request = BaseRequest(options, context, RouterJobKind::Backup, password, table);
        request.routerIp = router.ipAddress;
        if (searched) request.knownRouter = router;
        requests.push_back(std::move(request));
    }
    PrefixingListener listener(context, requests, kProgressBackup);
    const std::vector<JobOutcome> outcomes =
        RunJobsInParallel(requests, JobLimit(options.jobs), context.language, listener);
    listener.End();

    std::string index;
    std::size_t next = 0;
    std::size_t ok = 0;
    std::size_t unsupported = 0;
    std::size_t failed = 0;
    for (const RouterInfo& router : *routers) {
        if (next < served.size() && served[next].ipAddress == router.ipAddress) {
            const JobOutcome& outcome = outcomes[next++];
            if (outcome.result.ok) {
                ++ok;
                index += IndexLine(outcome.result.router, outcome.result.backupFile, kIndexOk);
            } else if (outcome.result.unsupportedModel) {
                ++unsupported;
                index += IndexLine(outcome.result.router, {}, kIndexUnsupportedModel);
            } else {
                ++failed;
                exitStatus = kExitFailed;
                index +=
                    IndexLine(outcome.result.router, {},
                              outcome.failure.empty() ? kIndexFailed : std::string_view(outcome.failure));
            }
        } else {
            ++unsupported;
            index += IndexLine(router, {}, kIndexUnsupportedModel);
        }
    }
    const std::string indexPath = options.backupDir + '/' + kIndexFileName;
    SaveFileWriter files;
    const FileWriteResult written = files.WriteWhole(indexPath, index, FileSecrecy::Plain);
    if (!written.ok) {
        context.err << CliErrorLine(CannotWriteFileText(indexPath, written.reason)) << std::flush;
        exitStatus = kExitFailed;
    }
    PrintSummary(context.err, ok, unsupported, failed);
    return exitStatus;
}

int RunApplyToMany(const CliOptions& options, const FleetContext& context) {
    std::vector<RouterInfo> routers;
    for (const std::string& ip : options.routers) {
        RouterInfo router;
        router.ipAddress = ip;
        routers.push_back(router);
    }
    PasswordTable table;
    std::string password;
    int exitStatus = kExitOk;
    if (!PreparePasswords(options, context, routers, table, password, exitStatus)) return exitStatus;

    std::vector<RouterJobRequest> requests;
    const RouterJobKind kind = options.dryRun ? RouterJobKind::DryRun : RouterJobKind::Apply;
    for (const std::string& ip : options.routers) {
        RouterJobRequest request = BaseRequest(options, context, kind, password, table);
        request.routerIp = ip;
        requests.push_back(std::move(request));
    }
    PrefixingListener listener(context, requests, options.dryRun ? kProgressDryRun : kProgressApply);
    const std::vector<JobOutcome> outcomes =
        RunJobsInParallel(requests, JobLimit(options.jobs), context.language, listener);
    listener.End();
    const auto failed = static_cast<std::size_t>(std::count_if(outcomes.begin(), outcomes.end(), Failed));
    PrintSummary(context.err, outcomes.size() - failed, 0, failed);
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace dezadav::cli
