#pragma once

#include <string>
#include <vector>

#include "settings/dial_plan_table.h"

namespace dezadav {

// What the pages ask an apply to write, filled by the workflow before each apply. The rows are held
// as fields so that a value containing a comma stays one value; the row texts (fields joined by
// commas, CR LF) remain what the settings file writes. What the router holds is not part of it
// (RouterSettings).
struct ApplyTexts {
    // The dial-plan entries changed since the last completed apply, in list order; empty when
    // nothing changed.
    std::vector<DialPlanEntry> dialPlanRows;
    // The ten SIP fields: port, registrar, useReg1, name1, password1, expiry1, useReg2, name2,
    // password2, expiry2.
    std::vector<std::string> sipRow;
    // The six codec fields in numeric form: codec index, packet-size index, DTMF mode, payload type,
    // RTP start port, RTP end port.
    std::vector<std::string> codecRow;
};

}  // namespace dezadav
