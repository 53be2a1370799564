#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "history/settings_history.h"

struct git_repository;

namespace dezadav {

// The history kept as a bare git repository (written with libgit2; no git program needed): one file
// per router in the settings file's form, one commit per record. The first commit holds a marker
// file; a folder without it is someone else's and is never written to.
class GitHistory : public SettingsHistory {
public:
    // Opens the history in `folder`, making it (mode 0700) when the folder is missing or empty.
    // Nothing (with `problem` set) when the folder holds anything else: a damaged repository,
    // another repository, other files. `program` names the recording program in every message.
    static std::unique_ptr<GitHistory> Open(const std::string& folder, const std::string& program,
                                            std::string* problem);
    ~GitHistory() override;
    GitHistory(const GitHistory&) = delete;
    GitHistory& operator=(const GitHistory&) = delete;

    HistoryOutcome Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                          bool onlyWhenChanged) override;
    std::vector<HistoryEntry> Entries(const HistoryRouter& router, std::optional<std::string>* problem) override;
    std::optional<std::string> SettingsAt(const HistoryRouter& router, const std::string& id,
                                          std::optional<std::string>* problem) override;

    const std::string& Folder() const { return m_folder; }

private:
    GitHistory(git_repository* repo, std::string folder, std::string program);

    std::mutex m_mutex;  // one libgit2 repository object serves every thread, one at a time
    git_repository* m_repo;
    std::string m_folder;
    std::string m_program;
};

// Commits `files` (names inside `folder`) to the git repository whose work tree is `folder`, with
// `message`. False (with `problem` set) when `folder` is no repository's top folder or the commit
// fails; the repository is then left as it was.
bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files, const std::string& message,
                       std::string* problem);

// True when `folder` is the top folder of a git work tree (where a backup run may be committed).
bool IsGitWorkTree(const std::string& folder);

}  // namespace dezadav
