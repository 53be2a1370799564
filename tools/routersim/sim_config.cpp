#include "sim_config.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace dezadav::routersim {

const char* const kUsage =
    "usage: dezadav-routersim [options]\n"
    "  --config FILE            routers (and options) from FILE instead of the two default routers\n"
    "  --router IP,MODEL[,PASSWORD]  one more router with the built-in settings of its form\n"
    "  --no-default-routers     start without the two default routers\n"
    "  --routers N              N routers at 127.0.0.2 onward instead of the two default routers,\n"
    "                           the two default models in turn (1..1000)\n"
    "  --telnet-port N          telnet port on every router address (default 2323, 0 = a free one)\n"
    "  --discovery ADDR:PORT    where discovery requests are answered by every router (default\n"
    "                           127.0.0.1:56415, 0 = a free port); each router address answers\n"
    "                           on the same port with its own answer only\n"
    "  --no-discovery           no discovery responder\n"
    "  --fault [IP:]NAME[=VALUE]  switch a fault on for one router (or for all without IP)\n"
    "  --command-log FILE|-     record every command line received (\"-\": standard output)\n"
    "  --control-stdin          read control lines on standard input; end when it closes\n"
    "  --add-call-every SECONDS add a call to every router's call log at this interval\n"
    "  --tty                    serve one session of the first router on standard input/output\n"
    "                           (raw terminal), for a telnet daemon to run; no sockets\n"
    "  --state FILE             with --tty: keep settings changes in FILE across sessions\n"
    "  --help                   this text\n"
    "faults: iac-greeting, no-shell-prompt, silent-after-login, slow-echo=MS, trickle=MS,\n"
    "  separate-line-break, silent-in=COMMAND, drop-in=COMMAND, error-in=COMMAND, garbage-in=COMMAND,\n"
    "  big-output=COMMAND, big-output-bytes=N, discovery=normal|short|oversized|repeated|silent\n";

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool HasControlBytes(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool ParseNumber(const std::string& text, long min, long max, long& out) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stol(text);
    return out >= min && out <= max;
}

bool IsIpv4(const std::string& text) {
    in_addr addr{};
    return inet_pton(AF_INET, text.c_str(), &addr) == 1;
}

std::string MacForAddress(const std::string& address) {
    in_addr addr{};
    inet_pton(AF_INET, address.c_str(), &addr);
    auto* b = reinterpret_cast<const unsigned char*>(&addr.s_addr);
    char mac[32];
    std::snprintf(mac, sizeof mac, "02-5A-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3]);
    return mac;
}

bool SplitHostPort(const std::string& text, std::string& host, uint16_t& port) {
    auto colon = text.rfind(':');
    long p = 0;
    if (colon == std::string::npos || !ParseNumber(text.substr(colon + 1), 0, 65535, p)) return false;
    host = text.substr(0, colon);
    port = static_cast<uint16_t>(p);
    return IsIpv4(host);
}

bool CheckRouter(RouterSetup& r, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = "router " + r.address + ": " + why;
        return false;
    };
    if (!IsIpv4(r.address)) return fail("address is not a dotted IPv4 address");
    if (r.model.empty() || HasControlBytes(r.model) || r.model.size() > 900) return fail("bad model name");
    if (r.prompt.empty()) r.prompt = r.model;
    // The prompt is the only place where "> " may appear, so names must not hold '>'.
    if (r.model.find('>') != std::string::npos || r.prompt.find('>') != std::string::npos ||
        HasControlBytes(r.prompt)) {
        return fail("model and prompt names must not contain '>' or control bytes");
    }
    if (HasControlBytes(r.password) || HasControlBytes(r.version)) return fail("control bytes in a value");
    if (!IsIpv4(r.mask)) return fail("bad mask");
    if (r.mac.empty()) r.mac = MacForAddress(r.address);
    unsigned char mac[6];
    if (!ParseMac(r.mac, mac)) return fail("bad MAC address");
    for (const auto& call : r.calls) {
        CallRecord record;
        if (!ParseCallWords(Words(call), record)) return fail("bad call record: " + call);
    }
    return true;
}

}  // namespace

bool FaultSet::Hits(const std::vector<std::string>& names, const std::string& command) {
    for (const auto& name : names) {
        if (command == name || (command.size() > name.size() && command.compare(0, name.size(), name) == 0 &&
                                command[name.size()] == ' ')) {
            return true;
        }
    }
    return false;
}

bool FaultSet::Apply(const std::string& setup, std::string* error) {
    auto eq = setup.find('=');
    std::string name = Trim(setup.substr(0, eq));
    std::string value = eq == std::string::npos ? std::string() : Trim(setup.substr(eq + 1));
    bool hasValue = eq != std::string::npos;
    auto fail = [&](const std::string& why) {
        *error = "fault " + setup + ": " + why;
        return false;
    };
    auto flag = [&](bool& target) {
        if (hasValue) return fail("takes no value");
        target = true;
        return true;
    };
    auto command = [&](std::vector<std::string>& list) {
        std::string normalized;
        for (const auto& w : Words(value)) normalized += (normalized.empty() ? "" : " ") + w;
        if (normalized.empty()) return fail("needs a command");
        list.push_back(normalized);
        return true;
    };
    long n = 0;
    if (name == "iac-greeting") return flag(iacGreeting);
    if (name == "no-shell-prompt") return flag(noShellPrompt);
    if (name == "silent-after-login") return flag(silentAfterLogin);
    if (name == "separate-line-break") return flag(separateLineBreak);
    if (name == "slow-echo") {
        if (!ParseNumber(value, 0, 60000, n)) return fail("needs milliseconds 0..60000");
        slowEchoMs = static_cast<int>(n);
        return true;
    }
    if (name == "trickle") {
        if (!ParseNumber(value, 1, 60000, n)) return fail("needs milliseconds 1..60000");
        trickleMs = static_cast<int>(n);
        return true;
    }
    if (name == "silent-in") return command(silentIn);
    if (name == "drop-in") return command(dropIn);
    if (name == "error-in") return command(errorIn);
    if (name == "garbage-in") return command(garbageIn);
    if (name == "big-output") return command(bigOutputIn);
    if (name == "big-output-bytes") {
        if (!ParseNumber(value, 1, 50000000, n)) return fail("needs a byte count 1..50000000");
        bigOutputBytes = static_cast<size_t>(n);
        return true;
    }
    if (name == "discovery") {
        if (value == "normal")
            discovery = DiscoveryFault::None;
        else if (value == "short")
            discovery = DiscoveryFault::Short;
        else if (value == "oversized")
            discovery = DiscoveryFault::Oversized;
        else if (value == "repeated")
            discovery = DiscoveryFault::Repeated;
        else if (value == "silent")
            discovery = DiscoveryFault::Silent;
        else
            return fail("needs normal, short, oversized, repeated or silent");
        return true;
    }
    return fail("unknown fault");
}

bool ParseMac(const std::string& text, unsigned char out[6]) {
    if (text.size() != 17) return false;
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && text[i * 3 - 1] != '-' && text[i * 3 - 1] != ':') return false;
        std::string hex = text.substr(i * 3, 2);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        out[i] = static_cast<unsigned char>(std::stoi(hex, nullptr, 16));
    }
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool ParseCallWords(const std::vector<std::string>& words, CallRecord& call) {
    if (words.size() < 5) return false;
    for (const auto& w : words) {
        if (HasControlBytes(w)) return false;
    }
    call.date = words[0];
    call.time = words[1];
    call.duration = words[2];
    call.direction = words[3];
    call.address.clear();
    for (size_t i = 4; i < words.size(); ++i) call.address += (i > 4 ? " " : "") + words[i];
    return call.date.size() == 10 && call.time.size() == 8 &&
           call.duration.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<RouterSetup> ManyRouters(int count) {
    const std::vector<RouterSetup> models = DefaultRouters();
    std::vector<RouterSetup> routers;
    for (int i = 0; i < count; ++i) {
        RouterSetup r = models[static_cast<size_t>(i) % models.size()];
        const int host = 2 + i;  // 127.0.0.2 onward, carrying into the third byte
        r.address = "127.0." + std::to_string(host / 256) + "." + std::to_string(host % 256);
        r.mac.clear();  // derived from the address, so every router has its own
        routers.push_back(r);
    }
    return routers;
}

std::vector<RouterSetup> DefaultRouters() {
    RouterSetup two;
    two.address = "127.0.0.2";
    two.model = "DZV-R5730K";
    two.version = "2.6.14";
    two.mac = "00-1D-5A-73-00-02";
    RouterSetup one;
    one.address = "127.0.0.3";
    one.model = "DZV-R5830K";
    one.version = "1.9.3";
    one.mac = "00-1D-5A-83-00-03";
    return {two, one};
}

bool ParseConfigText(const std::string& text, SimOptions& options, std::string* error) {
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    enum { None, Router, Emulator } section = None;
    auto fail = [&](const std::string& why) {
        *error = "config line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line == "[router]") {
            section = Router;
            options.routers.emplace_back();
            continue;
        }
        if (line == "[emulator]") {
            section = Emulator;
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) return fail("expected key = value");
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (section == Router) {
            RouterSetup& r = options.routers.back();
            if (key == "address")
                r.address = value;
            else if (key == "model")
                r.model = value;
            else if (key == "version")
                r.version = value;
            else if (key == "mask")
                r.mask = value;
            else if (key == "mac")
                r.mac = value;
            else if (key == "password")
                r.password = value;
            else if (key == "prompt")
                r.prompt = value;
            else if (key == "settings") {
                if (value != "default" && value != "empty") return fail("settings is default or empty");
                r.defaults = value == "default";
            } else if (key == "command")
                r.commands.push_back(value);
            else if (key == "call")
                r.calls.push_back(value);
            else if (key == "fault") {
                std::string why;
                if (!r.faults.Apply(value, &why)) return fail(why);
            } else
                return fail("unknown router key " + key);
        } else if (section == Emulator) {
            long n = 0;
            if (key == "telnet-port") {
                if (!ParseNumber(value, 0, 65535, n)) return fail("bad port");
                options.telnetPort = static_cast<uint16_t>(n);
            } else if (key == "discovery") {
                if (value == "off")
                    options.discoveryEnabled = false;
                else if (!SplitHostPort(value, options.discoveryAddress, options.discoveryPort))
                    return fail("discovery is ADDR:PORT or off");
            } else if (key == "command-log")
                options.commandLog = value;
            else if (key == "add-call-every") {
                if (!ParseNumber(value, 0, 86400, n)) return fail("bad interval");
                options.addCallEverySeconds = static_cast<int>(n);
            } else
                return fail("unknown emulator key " + key);
        } else {
            return fail("key outside a [router] or [emulator] section");
        }
    }
    return true;
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string* error) {
    bool defaults = true;
    std::vector<std::string> faults;
    std::vector<RouterSetup> extra;
    // A config file is read first, so that options on the command line override its [emulator] values.
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--config") continue;
        std::ifstream file(args[i + 1], std::ios::binary);
        if (!file) {
            *error = "cannot read config file " + args[i + 1];
            return false;
        }
        std::stringstream text;
        text << file.rdbuf();
        if (!ParseConfigText(text.str(), options, error)) {
            *error = args[i + 1] + ": " + *error;
            return false;
        }
        defaults = false;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        long n = 0;
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--config") {
            ++i;
        } else if (a == "--no-default-routers") {
            defaults = false;
        } else if (a == "--routers") {
            if (!value(v)) return false;
            if (!ParseNumber(v, 1, 1000, n)) {
                *error = "--routers takes a number from 1 to 1000";
                return false;
            }
            defaults = false;
            auto many = ManyRouters(static_cast<int>(n));
            extra.insert(extra.begin(), many.begin(), many.end());
        } else if (a == "--router") {
            if (!value(v)) return false;
            std::vector<std::string> parts;
            std::stringstream ss(v);
            std::string part;
            while (std::getline(ss, part, ',')) parts.push_back(part);
            if (parts.size() < 2 || parts.size() > 3) {
                *error = "--router takes IP,MODEL[,PASSWORD]";
                return false;
            }
            RouterSetup r;
            r.address = parts[0];
            r.model = parts[1];
            if (parts.size() == 3) r.password = parts[2];
            extra.push_back(r);
        } else if (a == "--telnet-port") {
            if (!value(v)) return false;
            if (!ParseNumber(v, 0, 65535, n)) {
                *error = "bad telnet port " + v;
                return false;
            }
            options.telnetPort = static_cast<uint16_t>(n);
        } else if (a == "--discovery") {
            if (!value(v)) return false;
            if (!SplitHostPort(v, options.discoveryAddress, options.discoveryPort)) {
                *error = "--discovery takes ADDR:PORT";
                return false;
            }
            options.discoveryEnabled = true;
        } else if (a == "--no-discovery") {
            options.discoveryEnabled = false;
        } else if (a == "--fault") {
            if (!value(v)) return false;
            faults.push_back(v);
        } else if (a == "--command-log") {
            if (!value(options.commandLog)) return false;
        } else if (a == "--control-stdin") {
            options.controlStdin = true;
        } else if (a == "--tty") {
            options.tty = true;
        } else if (a == "--state") {
            if (!value(options.stateFile)) return false;
        } else if (a == "--add-call-every") {
            if (!value(v)) return false;
            if (!ParseNumber(v, 0, 86400, n)) {
                *error = "bad interval " + v;
                return false;
            }
            options.addCallEverySeconds = static_cast<int>(n);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    if (defaults) {
        auto builtIn = DefaultRouters();
        options.routers.insert(options.routers.begin(), builtIn.begin(), builtIn.end());
    }
    options.routers.insert(options.routers.end(), extra.begin(), extra.end());
    for (auto& r : options.routers) {
        if (!CheckRouter(r, error)) return false;
    }
    for (size_t i = 0; i < options.routers.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (options.routers[i].address == options.routers[j].address) {
                *error = "two routers at " + options.routers[i].address;
                return false;
            }
        }
    }
    // "IP:name=value" hits one router, "name=value" every router.
    for (const auto& f : faults) {
        auto colon = f.find(':');
        std::string target;
        std::string setup = f;
        if (colon != std::string::npos && IsIpv4(f.substr(0, colon))) {
            target = f.substr(0, colon);
            setup = f.substr(colon + 1);
        }
        bool found = false;
        for (auto& r : options.routers) {
            if (!target.empty() && r.address != target) continue;
            found = true;
            if (!r.faults.Apply(setup, error)) return false;
        }
        if (!found) {
            *error = "--fault " + f + ": no router at " + target;
            return false;
        }
    }
    if (!options.stateFile.empty() && !options.tty) {
        *error = "--state needs --tty";
        return false;
    }
    if (options.routers.empty() && !options.help) {
        *error = "no router to emulate";
        return false;
    }
    return true;
}

}  // namespace dezadav::routersim
