#pragma once

#include <memory>
#include <optional>
#include <string>

#include "frontend/common_options.h"
#include "history/settings_history.h"

namespace dezadav {

// The history a front end's options ask for.
struct OpenedHistory {
    std::unique_ptr<SettingsHistory> history;  // none with --no-history, or when it cannot be used
    std::string folder;                   // where it is (or was looked for)
    std::optional<std::string> problem;   // why the folder cannot be used
    std::optional<std::string> warning;   // what the user should hear of an opened history (see OpenGitHistoryWhenUsed)
};

// The history of --history, or of the default folder, unless --no-history. `program` names the
// recording program in every record ("dezadav-cli 1.0"). The git library is loaded, and the folder
// opened, only when the history is first read or written (history/git_history_loader.h); what can be
// told without it (a file, a folder of other things) is a problem here already.
OpenedHistory OpenHistory(const CommonOptions& options, const std::string& program);

}  // namespace dezadav
