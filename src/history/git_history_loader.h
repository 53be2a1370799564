#pragma once

#include <memory>
#include <string>
#include <vector>

#include "history/settings_history.h"

namespace dezadav {

// The git history as the front ends use it, with libgit2 loaded (from the history module) only once
// a history is read or written.
//
// OpenGitHistoryWhenUsed() checks at once what needs no git: a path that is not a folder, or a
// folder that holds something other than a bare repository, is refused there with `problem` set. A
// missing or empty folder, or a repository, becomes a history that is opened, made or checked (is it
// a Dezadav history?) at its first use; a refusal then is that use's problem. An existing folder's
// owner and mode are checked at once too, and its git locks left by a run that ended are removed
// then (what GitHistory::Open tells in `warning`, set here when given). What the opening at first
// use warns of beyond that comes as the `notice` of the first record. The module is found next to
// the program as installed, else in the build tree.
std::unique_ptr<SettingsHistory> OpenGitHistoryWhenUsed(const std::string& folder, const std::string& program,
                                                        std::string* problem, std::string* warning = nullptr);

namespace git_module {
// CommitFolderFiles and IsGitWorkTree (history/git_history.h) of the history module, loading it when
// needed. A folder without `.git` is no work tree, found without loading anything.
bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files,
                       const std::string& message, const std::string& program, std::string* problem,
                       bool* committed = nullptr);
bool IsGitWorkTree(const std::string& folder);
}  // namespace git_module

}  // namespace dezadav
