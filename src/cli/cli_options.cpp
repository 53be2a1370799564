#include "cli/cli_options.h"

#include "discovery/discovery_targets.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace dezadav::cli {

namespace {

struct OptionSpec {
    std::string_view name;
    bool takesValue;
};

constexpr OptionSpec kOptions[] = {
    {"--router", true},    {"--telnet-port", true},   {"--model", true},  {"--discovery-port", true},
    {"--broadcast", true}, {"--wait", true},          {"--output", true}, {"--input", true},
    {"--dry-run", false},  {"--password-file", true},
};

// Which options each command accepts. The router commands share the common options; `log` accepts
// them too so that scripts can pass one set of options to every command.
const std::set<std::string_view>& AllowedOptions(CliCommand command) {
    static const std::set<std::string_view> discover = {"--broadcast", "--discovery-port", "--wait"};
    static const std::set<std::string_view> fetch = {
        "--router", "--telnet-port", "--model", "--discovery-port", "--wait", "--password-file", "--output"};
    static const std::set<std::string_view> apply = {"--router",         "--telnet-port", "--model",
                                                     "--discovery-port", "--wait",        "--password-file",
                                                     "--input",          "--dry-run"};
    static const std::set<std::string_view> log = {"--router",         "--telnet-port", "--model",
                                                   "--discovery-port", "--wait",        "--password-file"};
    static const std::set<std::string_view> none;
    switch (command) {
        case CliCommand::Discover:
            return discover;
        case CliCommand::Fetch:
            return fetch;
        case CliCommand::Apply:
            return apply;
        case CliCommand::Log:
            return log;
        case CliCommand::Help:
            break;
    }
    return none;
}

const OptionSpec* FindOption(std::string_view name) {
    for (const auto& option : kOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::optional<long> ParseDecimal(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<uint16_t> ParsePort(std::string_view text) {
    auto value = ParseDecimal(text);
    if (!value || *value < 1 || *value > 65535) return std::nullopt;
    return static_cast<uint16_t>(*value);
}

CliParseResult Fail(std::string message) {
    return CliParseResult{std::nullopt, std::move(message)};
}

}  // namespace


CliParseResult ParseCliArguments(const std::vector<std::string>& args) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        return CliParseResult{CliOptions{}, {}};
    }
    if (args.empty()) return Fail("no command given");

    CliOptions options;
    const std::string& commandWord = args[0];
    if (commandWord == "discover") {
        options.command = CliCommand::Discover;
    } else if (commandWord == "fetch") {
        options.command = CliCommand::Fetch;
    } else if (commandWord == "apply") {
        options.command = CliCommand::Apply;
    } else if (commandWord == "log") {
        options.command = CliCommand::Log;
    } else {
        return Fail("unknown command '" + commandWord + "'");
    }

    const auto& allowed = AllowedOptions(options.command);
    std::set<std::string> seen;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string name(arg);
        std::optional<std::string> value;
        if (size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            name = std::string(arg.substr(0, eq));
            value = std::string(arg.substr(eq + 1));
        }
        const OptionSpec* option = FindOption(name);
        if (option == nullptr) {
            if (!arg.starts_with("-")) return Fail("unexpected argument '" + std::string(arg) + "'");
            return Fail("unknown option '" + name + "'");
        }
        if (!allowed.contains(option->name)) {
            return Fail("option " + name + " does not apply to '" + commandWord + "'");
        }
        if (!seen.insert(name).second) return Fail("option " + name + " given twice");
        if (option->takesValue) {
            if (!value) {
                if (i + 1 >= args.size()) return Fail("option " + name + " needs a value");
                value = args[++i];
            }
        } else if (value) {
            return Fail("option " + name + " takes no value");
        }

        if (name == "--router") {
            if (!IsDottedIpv4Address(*value))
                return Fail("--router needs a dotted IPv4 address, not '" + *value + "'");
            options.routerIp = *value;
        } else if (name == "--telnet-port" || name == "--discovery-port") {
            auto port = ParsePort(*value);
            if (!port) return Fail(name + " needs a port number from 1 to 65535, not '" + *value + "'");
            (name == "--telnet-port" ? options.telnetPort : options.discoveryPort) = *port;
        } else if (name == "--model") {
            options.model = *value;
        } else if (name == "--broadcast") {
            if (!IsDottedIpv4Address(*value)) {
                return Fail("--broadcast needs a dotted IPv4 address, not '" + *value + "'");
            }
            options.broadcast = *value;
        } else if (name == "--wait") {
            auto ms = ParseDecimal(*value);
            if (!ms || *ms > 600000)
                return Fail("--wait needs milliseconds from 0 to 600000, not '" + *value + "'");
            options.waitMs = static_cast<int>(*ms);
        } else if (name == "--output" || name == "--input" || name == "--password-file") {
            if (value->empty()) return Fail("option " + name + " needs a file name");
            if (name == "--output") {
                options.outputFile = *value;
            } else if (name == "--input") {
                options.inputFile = *value;
            } else {
                options.passwordFile = *value;
            }
        } else if (name == "--dry-run") {
            options.dryRun = true;
        }
    }

    if (options.command != CliCommand::Discover && options.routerIp.empty()) {
        return Fail("'" + commandWord + "' needs --router IP");
    }
    if (options.command == CliCommand::Fetch && options.outputFile.empty()) {
        return Fail("'fetch' needs --output FILE");
    }
    if (options.command == CliCommand::Apply && options.inputFile.empty()) {
        return Fail("'apply' needs --input FILE");
    }
    return CliParseResult{std::move(options), {}};
}

std::string CliUsageText() {
    return R"(Usage:
  dezadav-cli discover [--broadcast ADDR] [--discovery-port N] [--wait MS]
  dezadav-cli fetch --router IP [--model NAME] --output FILE [common options]
  dezadav-cli apply --router IP [--model NAME] --input FILE [--dry-run] [common options]
  dezadav-cli log --router IP [common options]
  dezadav-cli --help

Commands:
  discover   Sends one discovery request to ADDR (default 255.255.255.255) and prints one line per
             router that answers within MS milliseconds (default 2000), in arrival order: model, IP
             address, subnet mask, MAC address and firmware version, separated by TAB.
  fetch      Logs in to the router, reads all its VoIP settings and writes them to FILE in the
             settings-file layout that Save All writes (dial plan, SIP, codec, VoIP log).
  apply      Logs in, reads all settings, loads FILE over them and applies the result to the router.
             Prints every router command it sends, one per line, in order, then
             "Settings have been applied to router.". With --dry-run it logs in and reads the
             settings, prints the commands the apply would send, and sends none of them.
  log        Logs in and reads the VoIP call log only; prints one line per call record with its six
             columns (index, date, time, duration, direction, address) separated by TAB.

Common options:
  --router IP            dotted IPv4 address of the router (required by fetch, apply and log)
  --telnet-port N        TCP port of the router's command line (default 23)
  --model NAME           model name of the router; decides one-port or two-port handling exactly as
                         the main window's Model field does. When omitted, the discovery request is
                         sent to the router's own address and the model name of its answer is used.
  --discovery-port N     UDP port of the discovery request (default 56415)
  --wait MS              how long discovery answers are awaited (default 2000)
  --password-file F      read the password from the first line of F

Password:
  Taken from the environment variable DEZADAV_PASSWORD when it is set, else from --password-file,
  else asked for on the terminal without echo. It is never taken from the command line and never
  printed.

Exit status:
  0  success
  1  a router or file operation failed; its message is printed on stderr
     (for example "Failed to login router!")
  2  the command line is unusable; the reason and this text are printed on stderr
)";
}

}  // namespace dezadav::cli
