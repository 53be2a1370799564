#include "frontend/history_store.h"

#include "history/git_history_loader.h"

namespace dezadav {

OpenedHistory OpenHistory(const CommonOptions& options, const std::string& program) {
    OpenedHistory opened;
    if (options.noHistory) return opened;
    opened.folder = options.historyFolder.value_or(DefaultHistoryFolder());
    std::string problem;
    opened.history = OpenGitHistoryWhenUsed(opened.folder, program, &problem);
    if (!opened.history) opened.problem = problem.empty() ? "cannot open " + opened.folder : problem;
    return opened;
}

}  // namespace dezadav
