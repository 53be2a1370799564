#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "session/fetched_texts.h"
#include "support/routersim_process.h"

namespace dezadav::testing {

// The two router forms of the emulator's default routers.
struct RouterForm {
    const char* ip;
    const char* model;
    const char* mac;
    bool twoPort;
};
inline void PrintTo(const RouterForm& form, std::ostream* out) {
    *out << form.model << " at " << form.ip;
}
inline constexpr RouterForm kTwoPortForm{"127.0.0.2", "DZV-R5730K", "00-11-22-33-44-02", true};
inline constexpr RouterForm kOnePortForm{"127.0.0.3", "DZV-R5830K", "00-11-22-33-44-03", false};

inline std::string FormName(const RouterForm& form) {
    return form.twoPort ? "TwoPort" : "OnePort";
}

// The fetch commands of `form`, in the order a full fetch sends them.
inline std::vector<std::string> FetchCommandsOf(const RouterForm& form) {
    std::vector<std::string> commands;
    for (const FetchCommand& command : kFetchCommands) {
        if (command.twoPortOnly && !form.twoPort) continue;
        commands.emplace_back(command.command);
    }
    return commands;
}

// The command lines one emulated router received so far, in order, without its address.
inline std::vector<std::string> CommandsOf(const RouterSimProcess& sim, const std::string& ip) {
    std::vector<std::string> commands;
    for (const std::string& line : sim.CommandLog()) {
        if (line.rfind(ip + " ", 0) == 0) commands.push_back(line.substr(ip.size() + 1));
    }
    return commands;
}

}  // namespace dezadav::testing
