#include "cli/password_table.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "discovery/discovery_targets.h"
#include "lang/messages.h"

namespace dezadav::cli {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// "00:1d:5a:73:00:02" and "00-1D-5A-73-00-02" are one router: the key is the upper-case dashed form.
std::optional<std::string> MacKey(const std::string& text) {
    if (text.size() != 17) return std::nullopt;
    std::string key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != '-' && c != ':') return std::nullopt;
            key += '-';
        } else if (std::isxdigit(static_cast<unsigned char>(c))) {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else {
            return std::nullopt;
        }
    }
    return key;
}

}  // namespace

bool PasswordTable::Parse(const std::string& text, std::string* error) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t start = 0;
        while (start < line.size() && IsBlank(line[start])) ++start;
        if (start == line.size() || line[start] == '#') continue;
        std::size_t end = start;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        const std::string address = line.substr(start, end - start);
        if (end == line.size()) {
            *error = PasswordLineWithoutPasswordText(number);
            return false;
        }
        std::size_t password = end;
        while (password < line.size() && IsBlank(line[password])) ++password;
        std::string key = address;
        if (!IsDottedIpv4Address(address)) {
            auto mac = MacKey(address);
            if (!mac) {
                *error = PasswordLineBadAddressText(number, address);
                return false;
            }
            key = *mac;
            m_keysByMac = true;
        }
        m_byAddress[key] = line.substr(password);
    }
    return true;
}

std::optional<std::string> PasswordTable::For(const std::string& ip, const std::string& mac) const {
    if (auto found = m_byAddress.find(ip); found != m_byAddress.end()) return found->second;
    if (auto key = MacKey(mac)) {
        if (auto found = m_byAddress.find(*key); found != m_byAddress.end()) return found->second;
    }
    return std::nullopt;
}

std::optional<std::string> PrivateFileProblem(const std::string& path, const std::string& what) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return PrivateFileUnreadableText(what, path, std::strerror(errno));
    if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0) return PrivateFileReadableByOthersText(what, path);
    return std::nullopt;
}

bool ReadPasswordTable(const std::string& path, PasswordTable& table, std::string* error) {
    if (auto problem = PrivateFileProblem(path, std::string(kPasswordsFileName))) {
        *error = std::move(*problem);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = PasswordsFileUnreadableText(path);
        return false;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string why;
    if (!table.Parse(bytes, &why)) {
        *error = PasswordsFileRefusedText(path, why);
        return false;
    }
    return true;
}

}  // namespace dezadav::cli
