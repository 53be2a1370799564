#pragma once

#include <string_view>

namespace dezadav {

// A router may be managed when the seventh character of its model name is one of 3, 8, 0, 7, 4 and
// the tenth is 'K'. Names too short to have a tenth character are simply not supported.
bool IsSupportedModel(std::string_view modelName);

// Two voice ports: the model name contains "5730K" or "5430K" (case-sensitive, anywhere). Every
// per-model difference (fetch of the second SIP account, dial-plan layout, SIP and codec choices,
// settings-file SIP row) follows this one test on the model name shown in the main window.
bool IsTwoPortModel(std::string_view modelName);

}  // namespace dezadav
