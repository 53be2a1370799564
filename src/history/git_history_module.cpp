#include "history/git_history_module.h"

#include "history/git_history.h"

namespace {

dezadav::SettingsHistory* OpenHistory(const std::string& folder, const std::string& program, std::string* problem,
                                      std::string* warning) {
    return dezadav::GitHistory::Open(folder, program, problem, warning).release();
}

bool CommitFiles(const std::string& folder, const std::vector<std::string>& files, const std::string& message,
                 const std::string& program, std::string* problem, bool* committed) {
    return dezadav::CommitFolderFiles(folder, files, message, program, problem, committed);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const dezadav::GitHistoryModule* DezadavGitHistoryModule() {
    static const dezadav::GitHistoryModule module{&OpenHistory, &CommitFiles, &dezadav::IsGitWorkTree};
    return &module;
}
