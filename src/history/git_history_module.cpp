#include "history/git_history_module.h"

#include "history/git_history.h"

namespace {

dezadav::SettingsHistory* OpenHistory(const std::string& folder, const std::string& program,
                                      std::string* problem) {
    return dezadav::GitHistory::Open(folder, program, problem).release();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const dezadav::GitHistoryModule* DezadavGitHistoryModule() {
    static const dezadav::GitHistoryModule module{&OpenHistory, &dezadav::CommitFolderFiles,
                                                  &dezadav::IsGitWorkTree};
    return &module;
}
