#pragma once

#include <string>
#include <vector>

#include "history/settings_history.h"

namespace dezadav {

// What the shared module holding the git history (libgit2 and the libraries it brings: TLS, SSH,
// Kerberos) offers to the program that loads it. The module is loaded only when a history is read
// or written, so a run that never touches one (a fetch without history, the help, the window's
// first screen) does not pay for mapping and starting those libraries.
struct GitHistoryModule {
    // GitHistory::Open: the history in `folder`, or nothing with `problem` set; `warning` as there.
    SettingsHistory* (*open)(const std::string& folder, const std::string& program, std::string* problem,
                             std::string* warning);
    // CommitFolderFiles and IsGitWorkTree.
    bool (*commitFolderFiles)(const std::string& folder, const std::vector<std::string>& files,
                              const std::string& message, const std::string& program, std::string* problem,
                              bool* committed);
    bool (*isGitWorkTree)(const std::string& folder);
};

}  // namespace dezadav

// The module's one exported symbol.
extern "C" const dezadav::GitHistoryModule* DezadavGitHistoryModule();
