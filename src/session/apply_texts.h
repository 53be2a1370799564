#pragma once

#include <string>
#include <vector>

#include "settings/dial_plan_table.h"

namespace dezadav {

// What an apply sends, and the SIP and codec rows the router is known to hold. The rows are held as
// fields so that a value containing a comma stays one value; the row texts (fields joined by commas,
// CR LF) remain what the settings file writes.
struct ApplyTexts {
    // The dial-plan entries changed since the last completed apply, in list order (filled by the
    // workflow before each apply); empty when nothing changed.
    std::vector<DialPlanEntry> dialPlanRows;
    // The ten SIP fields: port, registrar, useReg1, name1, password1, expiry1, useReg2, name2,
    // password2, expiry2 (filled by the workflow before each apply).
    std::vector<std::string> sipRow;
    // The six codec fields in numeric form: codec index, packet-size index, DTMF mode, payload type,
    // RTP start port, RTP end port (filled by the workflow before each apply).
    std::vector<std::string> codecRow;
    // The SIP fields as the router holds them: set by the workflow after each fetch and by the apply
    // after all SIP commands went through. Empty when not known.
    std::vector<std::string> lastSipRow;
    // The codec fields as the router holds them: set by the workflow (from the codec settings while
    // still empty at the time of an apply) and by the apply after all codec commands went through.
    std::vector<std::string> lastCodecRow;
};

}  // namespace dezadav
