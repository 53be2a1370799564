#pragma once

#include <cstdint>
#include <string>

#include "session/apply_commands.h"
#include "session/telnet_dialogue.h"

namespace dezadav {

// What one router exchange does.
enum class SessionMode : int32_t {
    GetSettings = 0,    // fetch all settings
    ApplySettings = 1,  // apply the changed settings
    GetVoipLog = 2,     // fetch the call log only
};

// Everything one router exchange needs to know, handed to each run.
struct SessionRequest {
    std::string routerIp;  // dotted IPv4 address
    uint16_t telnetPort = kTelnetPort;
    std::string password;
    std::string modelName;  // as shown in the main window; decides the two-port form
    SessionMode mode = SessionMode::GetSettings;
    double timeScale = 1.0;  // every wait of the dialogue is this many times as long (1 to 20)
    ApplyPlan plan;          // ApplySettings: what is sent (BuildApplyPlan), as it stands
};

}  // namespace dezadav
