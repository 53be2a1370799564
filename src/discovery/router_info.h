#pragma once

#include <string>

namespace dezadav {

// One router found on the LAN, and later the router the program manages. Every field is text as
// shown to the user; the password is added by the Confirm Password dialog and is never logged.
struct RouterInfo {
    std::string modelName;        // at most 35 characters, empty when the answer named no model
    std::string ipAddress;        // dotted decimal
    std::string subnetMask;       // dotted decimal
    std::string macAddress;       // "XX-XX-XX-XX-XX-XX", upper-case hexadecimal
    std::string firmwareVersion;  // at most 23 characters, empty when absent
    std::string password;

    bool operator==(const RouterInfo&) const = default;
};

}  // namespace dezadav
