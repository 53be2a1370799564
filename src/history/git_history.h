#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "history/settings_history.h"

struct git_repository;
struct git_commit;
struct git_oid;

namespace dezadav {

// The history kept as a bare git repository (written with libgit2; no git program needed): one file
// per router in the settings file's form (named by its MAC, by its address while no MAC is known; a
// router's records kept under its address join its MAC's history in one commit once the MAC is
// known), one commit per record. The first commit holds a marker
// file; a folder without it is someone else's and is never written to. Every record is read back
// before it counts as written, and the program's own lock is held while it writes (a git lock found
// then was left by a run that ended, and is removed).
class GitHistory : public SettingsHistory {
public:
    // Opens the history in `folder`, making it when the folder is missing or empty (in a temporary
    // folder beside it, mode 0700, renamed into place). Nothing (with `problem` set) when the folder
    // holds anything else (a damaged repository, a git work tree, another repository, other files) or
    // belongs to another user. `warning`, when given, is set for what does not stop the history: a
    // folder other users can open (with the chmod that closes it), a lock left by a run that ended
    // (removed). `program` names the recording program in every message and as the commits' author.
    static std::unique_ptr<GitHistory> Open(const std::string& folder, const std::string& program,
                                            std::string* problem, std::string* warning = nullptr);
    ~GitHistory() override;
    GitHistory(const GitHistory&) = delete;
    GitHistory& operator=(const GitHistory&) = delete;

    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                          bool onlyWhenChanged) override;
    std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>* problem) override;
    std::optional<std::string> SettingsAt(const HistoryRouter& router, const std::string& id,
                                          std::optional<std::string>* problem) override;

private:
    GitHistory(git_repository* repo, std::string folder, std::string program);
    // Calls `visit` with every commit from the head back (newest first) until it returns false. False
    // (with `problem` set) when the history cannot be read whole.
    bool Walk(const std::function<bool(const git_oid&, git_commit*, std::string_view)>& visit,
              std::optional<std::string>* problem);
    // `router` with the MAC of the router that last answered from its address when it has none.
    HistoryRouter Resolve(const HistoryRouter& router, std::optional<std::string>* problem);
    // The names a router's records are kept under: its MAC, its address, and the addresses whose
    // records joined its history.
    std::vector<std::string> Names(const HistoryRouter& key, std::optional<std::string>* problem);
    // Records kept under the router's address join its MAC's history (one commit); the reason when
    // that cannot be written.
    std::optional<std::string> JoinAddressRecords(const HistoryRouter& router);

    std::mutex m_mutex;  // one libgit2 repository object serves every thread, one at a time
    git_repository* m_repo;
    std::string m_folder;
    std::string m_program;
};

// Commits `files` (names inside `folder`) to the git repository whose work tree is `folder`, with
// `message`, on top of the branch head: only these files change in the commit, whatever else the
// user has staged. Refused (false, `problem` set) when `folder` is no repository's top folder, or
// when the repository's objects folder is open to other users (the files hold SIP passwords; the
// reason names the chmod that fixes it). The objects written get the files' mode. `committed` is set
// false when the files are what the head holds already: no commit is made then.
bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files, const std::string& message,
                       const std::string& program, std::string* problem, bool* committed = nullptr);

// True when `folder` is the top folder of a git work tree (where a backup run may be committed).
bool IsGitWorkTree(const std::string& folder);

}  // namespace dezadav
