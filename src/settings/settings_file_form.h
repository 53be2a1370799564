#pragma once

#include <optional>
#include <string_view>

#include "lang/language_table.h"

namespace dezadav {

// The router form a settings file was saved in, told by what only one form can hold: a dial-plan
// entry with a loop-through or a backup number, or an expiry past the end of the two-port list, comes
// from a one-port router; port 1 registered via WAN or LAN/VPN, port 2 registered at all, or a codec
// only two-port routers offer from a two-port one. True for
// two-port, false for one-port, nothing when the file shows neither, or both.
//
// The file does not say so itself, and its expiry lists are stored as positions, which mean other
// durations in the other form: a file must be read in the form it was written in.
std::optional<bool> SettingsFileIsTwoPort(std::string_view text, const LanguageTable& lang);

}  // namespace dezadav
