#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_file_check.h"

namespace dezadav {

// The settings of one router as one JSON document with named fields: the same values as the settings
// file, each list value as the English word the pages show. See docs/settings-file.md and
// docs/dezadav-settings.schema.json for the names, which are a contract:
//   {"format": "dezadav-settings/1", "model": "...",
//    "dialPlan": [{"index": 1, "phone": "101", "name": "...", "address": "...", "loop": "ISDN",
//                  "backup": "", "enabled": true}, ...],                (entries in use only)
//    "sip": {"port": "5060", "registrar": "...",
//            "ports": [{"registerVia": "WAN", "name": "...", "password": "...", "expiry": "1 hour"},
//                      ...]},                                         (one-port: "useRegistrar": true)
//    "codec": {"codec": "G.711A (64Kpbs)", "packetSize": "20 ms", "dtmfMode": "InBand",
//              "payloadType": "101", "rtpPortStart": "16384", "rtpPortEnd": "32766"}}
// "loop" and "backup" only in the one-port form, port 2 only in the two-port form. The call log is
// not part of it.
inline constexpr std::string_view kSettingsJsonFormat = "dezadav-settings/1";

// True when `text` is a JSON document rather than a settings file (its first byte that is no white
// space is "{").
bool IsSettingsJson(std::string_view text);

// The document of a settings text (any of the program's languages) in the form `twoPort`. SIP
// passwords are left out unless `showSecrets`; their absence means "keep the router's" when the
// document is applied. Nothing when the text is refused (`problem` says why).
std::optional<std::string> SettingsJsonFromText(std::string_view settingsText, bool twoPort, const std::string& model,
                                                bool showSecrets, const SettingsFileWords& words,
                                                std::string* problem = nullptr);

// The outcome of reading a document: the settings text it stands for (checked as strictly as a
// settings file), or why it was refused, naming the JSON path ("/sip/ports/0/expiry: "abc" is not one
// of ...").
struct SettingsJsonRead {
    std::string text;
    std::optional<std::string> problem;
    std::string model;  // the document's "model", informative
};

// Reads `document` over `base` (a settings text of the router, in the form `twoPort`): the fields it
// names take its values, every other field keeps the base's; a dial-plan entry it names by "index"
// changes only the fields given, and "phone": "" deletes it. With `replace` the document is the whole
// truth: entries it does not list are deleted and a missing field is refused, but for the SIP
// passwords, which keep the base's when left out (as a fetched document leaves them out).
SettingsJsonRead ReadSettingsJson(std::string_view document, std::string_view base, bool twoPort, bool replace,
                                  const SettingsFileWords& words);

// The router form a document was written for, told by its fields (a "loop" or "backup" of an entry
// or "useRegistrar": one-port; a second port or "registerVia" on port 1: two-port); nothing when it
// shows neither.
std::optional<bool> SettingsJsonIsTwoPort(std::string_view document);

}  // namespace dezadav
