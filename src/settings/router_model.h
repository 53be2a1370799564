#pragma once

#include <string_view>

namespace dezadav {

// Two voice ports: the model name contains "5730K" or "5430K" (case-sensitive, anywhere). Every
// per-model difference (fetch of the second SIP account, dial-plan layout, SIP and codec choices,
// settings-file SIP row, how a record is read) follows this one test on the model name shown in
// the main window.
bool IsTwoPortModel(std::string_view modelName);

}  // namespace dezadav
