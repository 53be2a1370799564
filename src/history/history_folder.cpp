#include "history/history_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace dezadav {

namespace {

namespace fs = std::filesystem;

std::string SystemError(int error) { return std::strerror(error); }

// A path as a shell takes it, for a command the user is asked to run.
std::string ShellWord(const std::string& text) {
    if (text.find_first_of(" \t'\"\\$`*?[]!;&|<>()") == std::string::npos) return text;
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

constexpr const char* kLockName = "dezadav.lock";
constexpr auto kLockPoll = std::chrono::milliseconds(20);

}  // namespace

std::optional<std::string> HistoryFolderProblem(const std::string& folder, std::string* warning) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return "cannot read " + folder + ": " + SystemError(errno);
    if (!S_ISDIR(status.st_mode)) return folder + " is not a folder";
    if (status.st_uid != ::geteuid()) {
        return folder + " belongs to another user (uid " + std::to_string(status.st_uid) +
               "): the history holds SIP passwords and must be a folder of your own";
    }
    if ((status.st_mode & 077) != 0 && warning != nullptr) {
        *warning = folder + " can be opened by other users, and the history holds SIP passwords; run: chmod 700 " +
                   ShellWord(folder);
    }
    return std::nullopt;
}

bool MakeHistoryBeside(const std::string& folder, const std::function<bool(const std::string&, std::string*)>& fill,
                       std::string* problem) {
    fs::path target = fs::path(folder).lexically_normal();
    if (target.filename().empty()) target = target.parent_path();
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code error;
    fs::create_directories(parent, error);
    if (error) {
        *problem = "cannot create the history folder " + folder + ": its parent folder " + parent.string() +
                   " cannot be made (" + error.message() + ")";
        return false;
    }
    std::string temporary = (parent / ("." + target.filename().string() + ".new-XXXXXX")).string();
    if (::mkdtemp(temporary.data()) == nullptr) {
        const int cause = errno;
        *problem = "cannot create the history folder " + folder + ": " +
                   (cause == EACCES || cause == EROFS || cause == EPERM
                        ? "its parent folder " + parent.string() + " is read-only (" + SystemError(cause) + ")"
                        : SystemError(cause));
        return false;
    }
    if (!fill(temporary, problem)) {
        fs::remove_all(temporary, error);
        return false;
    }
    // A missing or empty folder is replaced whole; a folder another run filled meanwhile stays.
    if (::rename(temporary.c_str(), target.c_str()) == 0) return true;
    const int cause = errno;
    fs::remove_all(temporary, error);
    if (cause == ENOTEMPTY || cause == EEXIST) return true;
    *problem = "cannot move the new history into " + folder + ": " + SystemError(cause);
    return false;
}

HistoryWriteLock::HistoryWriteLock(const std::string& folder, int waitMs) : m_folder(folder) {
    const std::string path = folder + "/" + kLockName;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_problem = "cannot lock the history " + folder + ": " + SystemError(errno);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_problem = "cannot lock the history " + folder + ": " + SystemError(errno);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_problem = "another run has been writing the history " + folder + " for over " +
                        std::to_string(waitMs / 1000) + " s; try again when it has ended";
            return;
        }
        std::this_thread::sleep_for(kLockPoll);
    }
}

HistoryWriteLock::~HistoryWriteLock() {
    // Closing the file releases the lock.
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<std::string> HistoryWriteLock::RemoveStaleGitLocks() const {
    std::vector<std::string> removed;
    if (m_problem) return removed;
    std::vector<fs::path> candidates{fs::path(m_folder) / "HEAD.lock", fs::path(m_folder) / "packed-refs.lock",
                                     fs::path(m_folder) / "config.lock"};
    std::error_code error;
    for (fs::recursive_directory_iterator it(fs::path(m_folder) / "refs", error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".lock") candidates.push_back(it->path());
    }
    for (const fs::path& candidate : candidates) {
        std::error_code gone;
        if (fs::is_regular_file(candidate, gone) && fs::remove(candidate, gone)) removed.push_back(candidate.string());
    }
    return removed;
}

std::string StaleLocksRemovedText(const std::vector<std::string>& paths) {
    std::string text = "removed a lock left by a run that ended:";
    for (const std::string& path : paths) text += " " + path;
    return text;
}

}  // namespace dezadav
