#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/password_source.h"

namespace dezadav::cli {

// Runs one dezadav-cli command line (the arguments after the program name) and returns the exit
// status: 0 success, 1 a router or file operation failed (its English message went to `err`), 2 the
// command line is unusable (reason and usage text went to `err`). Results go to `out`. A
// QCoreApplication must exist; the router exchanges run its event loop while they wait (the
// many-router commands run each router on a thread of its own). Progress of those goes to `err`
// only when `errIsTerminal`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::function<PasswordSources(std::optional<std::string> passwordFile)>& passwordSources,
           bool errIsTerminal = false);

}  // namespace dezadav::cli
