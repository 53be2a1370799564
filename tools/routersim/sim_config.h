#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "router_state.h"

namespace dezadav::routersim {

// How a router answers discovery requests.
enum class DiscoveryFault { None, Short, Oversized, Repeated, Silent };

// Faults one router shows. Command faults name a command: they hit a command line that equals the
// name or starts with the name followed by a space ("voip sip port" hits "voip sip port 5061" too).
struct FaultSet {
    bool iacGreeting = false;              // telnet IAC negotiation bytes at the start of the greeting
    bool noShellPrompt = false;            // after the right password: banner, then silence (no prompt)
    bool silentAfterLogin = false;         // after the prompt that ends the login: silence
    int slowEchoMs = 0;                    // delay before every answer to a typed byte
    int trickleMs = 0;                     // a command's answer one byte at a time, this far apart
    bool separateLineBreak = false;        // the echoed line break of a command always as a chunk of its own
    std::vector<std::string> silentIn;     // half the output, then silence for good
    std::vector<std::string> dropIn;       // half the output, then the connection is closed
    std::vector<std::string> errorIn;      // an error line instead of running the command
    std::vector<std::string> garbageIn;    // a line of garbage bytes before the prompt
    std::vector<std::string> bigOutputIn;  // filler lines until the output holds bigOutputBytes
    size_t bigOutputBytes = 70000;
    DiscoveryFault discovery = DiscoveryFault::None;

    // Switches one fault on: "name" or "name=value" (see docs/routersim.md). False, with a reason, for
    // an unknown name or a bad value.
    bool Apply(const std::string& setup, std::string* error);
    static bool Hits(const std::vector<std::string>& names, const std::string& command);
};

// One emulated router as the options and the config file define it.
struct RouterSetup {
    std::string address;  // dotted IPv4 address the router listens on
    std::string model;
    std::string version = "1.0.0";
    std::string mask = "255.0.0.0";
    std::string mac;  // "XX-XX-XX-XX-XX-XX"
    std::string password = "admin";
    std::string prompt;    // name before "> "; the model name when empty
    bool defaults = true;  // start with the built-in settings (false: empty dial plan and call log)
    std::vector<std::string> commands;  // command lines run at start, as if typed
    std::vector<std::string> calls;     // call-log records added at start, oldest first
    FaultSet faults;
};

struct SimOptions {
    std::vector<RouterSetup> routers;
    uint16_t telnetPort = 2323;  // 0: pick a free port, the same on every router address
    std::string discoveryAddress = "127.0.0.1";
    uint16_t discoveryPort = 56415;  // 0: pick a free port
    bool discoveryEnabled = true;
    std::string commandLog;  // file name, "-" for standard output, empty for none
    bool controlStdin = false;
    int addCallEverySeconds = 0;
    bool tty = false;       // serve one session of the first router on standard input/output
    std::string stateFile;  // with tty: settings changes kept here from one session to the next
    bool help = false;
};

// The two routers the emulator runs when no config file says otherwise.
std::vector<RouterSetup> DefaultRouters();

// `count` routers at 127.0.0.2 onward (127.0.0.255, then 127.0.1.0, ...), the two default routers'
// models and settings in turn, each with the MAC address derived from its own address.
std::vector<RouterSetup> ManyRouters(int count);

// Reads the command line (argv[1..]) and any config file it names. False, with a reason, on a bad
// option, a bad file or a router that cannot be served.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string* error);

// Reads a config file's text: its [router] sections add routers, its [emulator] section sets options
// (see docs/routersim.md for the format).
bool ParseConfigText(const std::string& text, SimOptions& options, std::string* error);

// Parses "XX-XX-XX-XX-XX-XX" (or with ':'), six hexadecimal bytes.
bool ParseMac(const std::string& text, unsigned char out[6]);

// The words of a line, split at white space.
std::vector<std::string> Words(const std::string& line);

// Parses a call-log record "<mm-dd-yyyy> <hh:mm:ss> <seconds> <IN|OUT> <address words...>".
bool ParseCallWords(const std::vector<std::string>& words, CallRecord& call);

extern const char* const kUsage;

}  // namespace dezadav::routersim
