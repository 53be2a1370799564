#pragma once

#include <string>

#include "router_state.h"
#include "sim_config.h"

namespace dezadav::routersim {

// One router of the emulator: how it is configured, what it holds now, and the faults it shows now.
struct EmulatedRouter {
    RouterSetup setup;
    RouterState state;
    long long lastAddedUnix = 0;  // time stamp of the last call added while running

    // Builds the router from its setup: built-in or empty settings, then the setup's start commands and
    // calls. False, with a reason, when a start command is refused.
    bool Init(const RouterSetup& routerSetup, std::string* error);
    // Adds a call stamped with the given time (local date and time), moved on past the last added call
    // when needed, so that every call added while running has a date and time of its own.
    void AddCallAt(long long unixSeconds, const std::string& duration, const std::string& direction,
                   const std::string& address);
};

}  // namespace dezadav::routersim
