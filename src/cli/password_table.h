#pragma once

#include <map>
#include <optional>
#include <string>

namespace dezadav::cli {

// Passwords per router from a --passwords file: lines "ADDRESS PASSWORD", the address a dotted IPv4
// address or a MAC address (six hexadecimal pairs joined by '-' or ':', any case); the password is
// the rest of the line after the blanks that follow the address. Blank lines and lines whose first
// non-blank byte is '#' are skipped.
class PasswordTable {
public:
    // Reads the table from a file's text; false, with the reason, for a line that is not of that form.
    bool Parse(const std::string& text, std::string* error);
    // The password for the router at `ip`, else for its MAC address (which may be empty), else none.
    std::optional<std::string> For(const std::string& ip, const std::string& mac) const;
    bool Has(const std::string& ip, const std::string& mac) const { return For(ip, mac).has_value(); }
    // True when some line names a router by its MAC address (which discovery then has to find out).
    bool KeysByMac() const { return m_keysByMac; }

private:
    std::map<std::string, std::string> m_byAddress;  // IPs as written, MACs as XX-XX-XX-XX-XX-XX
    bool m_keysByMac = false;
};

// Why a file holding passwords must not be used: it cannot be read, or its group or others may read
// it. Nothing when only its owner can read it. `what` names the file in the text.
std::optional<std::string> PrivateFileProblem(const std::string& path, const std::string& what);

// The table from the file at `path`. A file that group or others may read is refused, as a private
// key is: the passwords in it are not the owner's alone. False, with the reason.
bool ReadPasswordTable(const std::string& path, PasswordTable& table, std::string* error);

}  // namespace dezadav::cli
