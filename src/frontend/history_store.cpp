#include "frontend/history_store.h"

#include "history/git_history_loader.h"

namespace dezadav {

OpenedHistory OpenHistory(const CommonOptions& options, const std::string& program) {
    OpenedHistory opened;
    if (options.noHistory) return opened;
    opened.folder = options.historyFolder.value_or(DefaultHistoryFolder());
    std::string problem;
    std::string warning;
    opened.history = OpenGitHistoryWhenUsed(opened.folder, program, &problem, &warning);
    if (!opened.history) opened.problem = problem.empty() ? "cannot open " + opened.folder : problem;
    if (opened.history && !warning.empty()) opened.warning = warning;
    return opened;
}

}  // namespace dezadav
