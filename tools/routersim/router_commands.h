#pragma once

#include <string>

#include "router_state.h"

namespace dezadav::routersim {

// What the router does with one command line.
struct CommandResult {
    std::string output;       // the text printed before the prompt (empty for a set command that worked)
    bool changed = false;     // the command changed the router's settings
    bool closeAfter = false;  // the command ends the session ("exit", "quit", "logout")
};

// Runs one command line against a router's settings: the nine fetch commands print the settings, the
// "voip dial_plan set|del", "voip sip ..." and "voip rtp ..." set commands change them. Words are
// separated by one or more spaces; a value written as two double-quote characters is empty. A command
// the router does not know, a wrong number of values or a value out of range prints one line starting
// with "Error:" and changes nothing.
CommandResult RunRouterCommand(RouterState& state, const std::string& line);

}  // namespace dezadav::routersim
