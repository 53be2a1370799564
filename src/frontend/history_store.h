#pragma once

#include <memory>
#include <optional>
#include <string>

#include "frontend/common_options.h"
#include "history/git_history.h"

namespace dezadav {

// The history a front end's options ask for.
struct OpenedHistory {
    std::unique_ptr<GitHistory> history;  // none with --no-history, or when it cannot be opened
    std::string folder;                   // where it is (or was looked for)
    std::optional<std::string> problem;   // why the folder cannot be used
    std::optional<std::string> warning;   // what the user should hear of an opened history (see GitHistory::Open)
};

// Opens the history of --history, or of the default folder, unless --no-history. `program` names the
// recording program in every record ("dezadav-cli 1.0").
OpenedHistory OpenHistory(const CommonOptions& options, const std::string& program);

}  // namespace dezadav
