#pragma once

#include <functional>
#include <optional>
#include <string>

namespace dezadav::cli {

// The environment variable that holds the password.
inline constexpr const char* kPasswordEnvironmentVariable = "DEZADAV_PASSWORD";

// Where the password came from, or why none could be had.
struct PasswordOutcome {
    std::optional<std::string> password;
    bool usageError = false;  // no source available at all (exit status 2), else a file failure (1)
    std::string error;        // English reason when password is empty; never contains the password
};

// The sources, in order of precedence: the environment variable DEZADAV_PASSWORD (when set, even
// empty), the first line of the password file (without its line end), the no-echo terminal prompt.
// Each source is injectable so tests need neither an environment nor a terminal.
struct PasswordSources {
    std::function<std::optional<std::string>()> environment;     // value of DEZADAV_PASSWORD if set
    std::optional<std::string> passwordFile;                     // --password-file
    std::function<std::optional<std::string>()> terminalPrompt;  // empty: no terminal to ask on
};

PasswordOutcome ObtainPassword(const PasswordSources& sources);

// The first line of a file's bytes: everything before the first LF, with one CR before it removed.
std::string FirstLineOf(const std::string& bytes);

// The process's real sources: getenv("DEZADAV_PASSWORD") and a prompt on /dev/tty with echo off.
PasswordSources ProcessPasswordSources(std::optional<std::string> passwordFile);

}  // namespace dezadav::cli
