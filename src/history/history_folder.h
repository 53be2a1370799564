#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dezadav {

// The checks and the lock around the history's folder (POSIX), apart from what is in it.

// Why `folder`, an existing folder, may not hold the history: not a folder, or another user's. Its
// mode is checked too: open to group or others, `warning` names the chmod that closes it.
std::optional<std::string> HistoryFolderProblem(const std::string& folder, std::string* warning);

// Makes a new history at `folder` (missing, or an empty folder): `fill` makes it in a temporary folder
// (mode 0700) beside `folder`, which is then renamed into place, so that a run never sees a half-made
// history and two first runs both end with one. True also when another run made it first (its history
// stays, this one is dropped). The reason on failure names what is wrong: a parent folder that cannot
// be written, a full file system.
bool MakeHistoryBeside(const std::string& folder, const std::function<bool(const std::string&, std::string*)>& fill,
                       std::string* problem);

// The program's own lock on a history while it writes: held, no other run of the program writes, so
// a git lock file found meanwhile was left by a run that ended (killed, a power cut) and is removed.
// A run that holds it is waited for, at most `waitMs`.
class HistoryWriteLock {
public:
    HistoryWriteLock(const std::string& folder, int waitMs);
    ~HistoryWriteLock();
    HistoryWriteLock(const HistoryWriteLock&) = delete;
    HistoryWriteLock& operator=(const HistoryWriteLock&) = delete;

    // Nothing when held; else why not (another run kept it longer than the wait, no lock file).
    const std::optional<std::string>& Problem() const { return m_problem; }
    // Removes git's lock files of `folder` left by a run that ended; returns the ones removed.
    std::vector<std::string> RemoveStaleGitLocks() const;

private:
    std::string m_folder;
    int m_fd = -1;
    std::optional<std::string> m_problem;
};

// "removed a lock left by a run that ended: <paths>", for a message.
std::string StaleLocksRemovedText(const std::vector<std::string>& paths);

}  // namespace dezadav
