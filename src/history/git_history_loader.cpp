#include "history/git_history_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "history/git_history_module.h"
#include "history/history_folder.h"
#include "history/last_records.h"

namespace dezadav {

namespace {

namespace fs = std::filesystem;

// The program's own folder, from which the installed module is found.
fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

// Loads the module once for the process's life (it is never unloaded: the histories it made live in
// it). The reason in `problem` when it cannot be loaded.
const GitHistoryModule* Module(std::string* problem) {
    static std::mutex mutex;
    static const GitHistoryModule* module = nullptr;
    static std::string failure;
    const std::lock_guard<std::mutex> lock(mutex);
    if (module != nullptr || !failure.empty()) {
        if (module == nullptr && problem != nullptr) *problem = failure;
        return module;
    }
    const fs::path candidates[] = {ProgramFolder() / DEZADAV_HISTORY_MODULE_FROM_PROGRAM,
                                   fs::path(DEZADAV_HISTORY_MODULE_IN_BUILD)};
    std::string reasons;
    for (const fs::path& path : candidates) {
        std::error_code error;
        if (!fs::exists(path, error)) continue;
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* reason = dlerror();
            reasons += reason != nullptr ? reason : path.string();
            continue;
        }
        using Entry = const GitHistoryModule* (*)();
        auto entry = reinterpret_cast<Entry>(dlsym(handle, "DezadavGitHistoryModule"));
        if (entry != nullptr) module = entry();
        if (module != nullptr) break;
        reasons += path.string() + " is not the history module";
    }
    if (module == nullptr) {
        failure = "cannot load the history module" +
                  (reasons.empty() ? std::string(" (not installed)") : ": " + reasons);
        if (problem != nullptr) *problem = failure;
        return nullptr;
    }
    return module;
}

// Why `folder` cannot hold a history, found without git: it is no folder, or a folder holding
// neither nothing nor a bare repository.
std::optional<std::string> ObviousProblem(const std::string& folder) {
    std::error_code error;
    const fs::path path(folder);
    if (!fs::exists(path, error)) return std::nullopt;
    if (!fs::is_directory(path, error)) return folder + " is not a Dezadav history";
    if (fs::directory_iterator(path, error) == fs::directory_iterator()) return std::nullopt;
    if (!fs::is_regular_file(path / "HEAD", error) || !fs::is_directory(path / "objects", error))
        return folder + " is not a Dezadav history";
    return std::nullopt;
}

// How long the check at opening waits for another run writing the same history.
constexpr int kWriterWaitMs = 10000;

// The lines of `text` that `told` does not hold already.
std::string LinesNotTold(const std::string& text, const std::string& told) {
    std::istringstream lines(text);
    std::string line;
    std::string left;
    while (std::getline(lines, line)) {
        if (line.empty() || told.find(line) != std::string::npos) continue;
        left += (left.empty() ? "" : "\n") + line;
    }
    return left;
}

// Opens the real history at its first use; every use after a refusal reports the same refusal.
class HistoryOpenedWhenUsed : public SettingsHistory {
public:
    HistoryOpenedWhenUsed(std::string folder, std::string program, std::string told)
        : m_folder(std::move(folder)), m_program(std::move(program)), m_told(std::move(told)) {}

    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                          bool onlyWhenChanged) override {
        // The common case of a fetch, settings as last recorded, is told without loading git; not
        // while records kept under the router's address still wait to join its MAC's history.
        const bool joinPending = !router.macAddress.empty() && !router.ipAddress.empty() &&
                                 LastRecordsName(m_folder, router.ipAddress + ".csv");
        if (onlyWhenChanged && !joinPending && LastRecordHolds(m_folder, router.FileName(), settingsText)) return {};
        HistoryOutcome outcome;
        SettingsHistory* history = Opened(&outcome.problem);
        if (history == nullptr) return outcome;
        outcome = history->Record(router, cause, settingsText, onlyWhenChanged);
        if (std::optional<std::string> opening = TakeOpeningNotice()) {
            outcome.notice = *opening + (outcome.notice ? "\n" + *outcome.notice : std::string());
        }
        return outcome;
    }
    std::vector<HistoryEntry> Entries(const HistoryRouter& router,
                                      std::optional<std::string>* problem) override {
        SettingsHistory* history = Opened(problem);
        return history != nullptr ? history->Entries(router, problem) : std::vector<HistoryEntry>{};
    }
    std::optional<std::string> SettingsAt(const HistoryRouter& router, const std::string& id,
                                          std::optional<std::string>* problem) override {
        SettingsHistory* history = Opened(problem);
        return history != nullptr ? history->SettingsAt(router, id, problem) : std::nullopt;
    }

private:
    // The jobs of a fleet run share one history from several threads.
    SettingsHistory* Opened(std::optional<std::string>* problem) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_tried) {
            m_tried = true;
            std::string reason;
            if (const GitHistoryModule* module = Module(&reason)) {
                std::string warning;
                m_history.reset(module->open(m_folder, m_program, &reason, &warning));
                m_openingNotice = LinesNotTold(warning, m_told);
            }
            if (!m_history) m_problem = reason.empty() ? "cannot open " + m_folder : reason;
        }
        if (!m_history && problem != nullptr) *problem = m_problem;
        return m_history.get();
    }

    // What the opening warned of that was not told when the history was given out, once.
    std::optional<std::string> TakeOpeningNotice() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_openingNotice.empty()) return std::nullopt;
        return std::exchange(m_openingNotice, std::string());
    }

    std::mutex m_mutex;
    const std::string m_folder;
    const std::string m_program;
    const std::string m_told;  // the warning given when the history was given out
    std::string m_openingNotice;
    bool m_tried = false;
    std::unique_ptr<SettingsHistory> m_history;
    std::string m_problem;
};

}  // namespace

std::unique_ptr<SettingsHistory> OpenGitHistoryWhenUsed(const std::string& folder, const std::string& program,
                                                        std::string* problem, std::string* warning) {
    if (std::optional<std::string> obvious = ObviousProblem(folder)) {
        *problem = *obvious;
        return nullptr;
    }
    std::string told;
    std::error_code error;
    if (fs::exists(folder, error)) {
        if (std::optional<std::string> unusable = HistoryFolderProblem(folder, &told)) {
            *problem = *unusable;
            return nullptr;
        }
        // What GitHistory::Open does at once, told at once: git locks left by a run that ended.
        if (fs::is_regular_file(fs::path(folder) / "HEAD", error)) {
            const HistoryWriteLock lock(folder, kWriterWaitMs);
            const std::vector<std::string> removed =
                lock.Problem() ? std::vector<std::string>{} : lock.RemoveStaleGitLocks();
            if (!removed.empty()) told += (told.empty() ? "" : "\n") + StaleLocksRemovedText(removed);
        }
    }
    if (warning != nullptr) *warning = told;
    return std::make_unique<HistoryOpenedWhenUsed>(folder, program, std::move(told));
}

namespace git_module {

bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files,
                       const std::string& message, const std::string& program, std::string* problem,
                       bool* committed) {
    const GitHistoryModule* module = Module(problem);
    return module != nullptr && module->commitFolderFiles(folder, files, message, program, problem, committed);
}

bool IsGitWorkTree(const std::string& folder) {
    std::error_code error;
    if (!fs::exists(fs::path(folder) / ".git", error)) return false;
    const GitHistoryModule* module = Module(nullptr);
    return module != nullptr && module->isGitWorkTree(folder);
}

}  // namespace git_module

}  // namespace dezadav
