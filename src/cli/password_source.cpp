#include "cli/password_source.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cli/cli_options.h"
#include "cli/password_table.h"
#include "lang/messages.h"

namespace dezadav::cli {

std::string FirstLineOf(const std::string& bytes) {
    std::string line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

PasswordOutcome ObtainPassword(const PasswordSources& sources) {
    if (sources.environment) {
        if (auto fromEnv = sources.environment()) return PasswordOutcome{std::move(fromEnv), false, {}};
    }
    if (sources.passwordFile) {
        if (auto problem = PrivateFileProblem(*sources.passwordFile, std::string(kPasswordFileName))) {
            return PasswordOutcome{std::nullopt, false, std::move(*problem)};
        }
        std::ifstream in(*sources.passwordFile, std::ios::binary);
        if (!in) {
            return PasswordOutcome{std::nullopt, false, PasswordFileUnreadableText(*sources.passwordFile)};
        }
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return PasswordOutcome{FirstLineOf(bytes), false, {}};
    }
    if (sources.terminalPrompt) {
        if (auto typed = sources.terminalPrompt()) return PasswordOutcome{std::move(typed), false, {}};
    }
    return PasswordOutcome{std::nullopt, true,
                           NoPasswordText(kPasswordEnvironmentVariable, kPasswordFileOptionName)};
}

namespace {

// Asks on the controlling terminal, not on stdin/stdout, so that redirected output stays clean and
// the typed characters never reach a pipe or log.
std::optional<std::string> PromptOnTerminal() {
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    termios saved{};
    bool restore = ::tcgetattr(fd, &saved) == 0;
    if (restore) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    [[maybe_unused]] auto written = ::write(fd, kPasswordPrompt.data(), kPasswordPrompt.size());
    std::string typed;
    bool gotLine = false;
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            gotLine = true;
            break;
        }
        typed.push_back(c);
    }
    if (restore) ::tcsetattr(fd, TCSAFLUSH, &saved);
    ::close(fd);
    if (!gotLine && typed.empty()) return std::nullopt;
    if (!typed.empty() && typed.back() == '\r') typed.pop_back();
    return typed;
}

}  // namespace

PasswordSources ProcessPasswordSources(std::optional<std::string> passwordFile) {
    PasswordSources sources;
    sources.environment = []() -> std::optional<std::string> {
        const char* value = std::getenv(kPasswordEnvironmentVariable);
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
    sources.passwordFile = std::move(passwordFile);
    sources.terminalPrompt = PromptOnTerminal;
    return sources;
}

}  // namespace dezadav::cli
