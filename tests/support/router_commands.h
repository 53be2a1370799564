#pragma once

#include <string>
#include <vector>

#include "support/routersim_process.h"

namespace dezadav::testing {

// The command lines one emulated router received so far, in order, without its address.
inline std::vector<std::string> CommandsOf(const RouterSimProcess& sim, const std::string& ip) {
    std::vector<std::string> commands;
    for (const std::string& line : sim.CommandLog()) {
        if (line.rfind(ip + " ", 0) == 0) commands.push_back(line.substr(ip.size() + 1));
    }
    return commands;
}

}  // namespace dezadav::testing
