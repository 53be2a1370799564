#include "emulated_router.h"

#include <ctime>
#include <sstream>
#include <vector>

#include "router_commands.h"

namespace dezadav::routersim {
namespace {

std::string Stamp(long long unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%m-%d-%Y %H:%M:%S", &tm);
    return text;
}

}  // namespace

bool EmulatedRouter::Init(const RouterSetup& routerSetup, std::string* error) {
    setup = routerSetup;
    bool twoPort = IsTwoPortModelName(setup.model);
    state = setup.defaults ? DefaultRouterState(twoPort) : EmptyRouterState(twoPort);
    for (const auto& command : setup.commands) {
        CommandResult r = RunRouterCommand(state, command);
        if (r.output.find("Error:") != std::string::npos) {
            *error = "router " + setup.address + ": start command refused: " + command;
            return false;
        }
    }
    for (const auto& text : setup.calls) {
        std::istringstream in(text);
        std::vector<std::string> words;
        std::string w;
        while (in >> w) words.push_back(w);
        CallRecord call;
        if (!ParseCallWords(words, call)) {
            *error = "router " + setup.address + ": bad call record: " + text;
            return false;
        }
        state.AddCall(call);
    }
    return true;
}

void EmulatedRouter::AddCallAt(long long unixSeconds, const std::string& duration,
                               const std::string& direction, const std::string& address) {
    if (lastAddedUnix != 0 && unixSeconds <= lastAddedUnix) unixSeconds = lastAddedUnix + 1;
    lastAddedUnix = unixSeconds;
    std::string stamp = Stamp(unixSeconds);
    CallRecord call;
    call.date = stamp.substr(0, 10);
    call.time = stamp.substr(11);
    call.duration = duration;
    call.direction = direction;
    call.address = address;
    state.AddCall(call);
}

}  // namespace dezadav::routersim
