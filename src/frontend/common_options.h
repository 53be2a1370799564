#pragma once

#include <QCommandLineParser>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/discovery_datagram.h"
#include "session/router_ports.h"

namespace dezadav {

// The program's version, from the build ("1.0").
const char* ProgramVersion();

// The limits of --time-scale; the smallest factor, waits as the router dialogue has them, is the default.
inline constexpr int kMinTimeScale = 1;
inline constexpr int kMaxTimeScale = 20;

// The options the window and dezadav-cli share, as given on the command line (defaults: the router's
// standard ports, no broadcast address of its own, factor 1, no transcript).
struct CommonOptions {
    std::uint16_t telnetPort = kTelnetPort;        // --telnet-port
    std::optional<std::string> broadcast;          // --broadcast: one address instead of the usual targets
    std::uint16_t discoveryPort = kDiscoveryPort;  // --discovery-port
    double timeScale = kMinTimeScale;              // --time-scale: every wait of the dialogue times this
    std::optional<std::string> transcriptFile;     // --transcript: where router exchanges are recorded
    std::optional<std::string> historyFolder;      // --history: where settings are recorded (else
                                                   // DefaultHistoryFolder())
    bool noHistory = false;                        // --no-history: nothing is recorded
};

// Long names (without dashes) of the shared options: the one spelling each front end registers,
// checks and documents them by.
inline constexpr const char* kTelnetPortOptionName = "telnet-port";
inline constexpr const char* kBroadcastOptionName = "broadcast";
inline constexpr const char* kDiscoveryPortOptionName = "discovery-port";
inline constexpr const char* kTimeScaleOptionName = "time-scale";
inline constexpr const char* kTranscriptOptionName = "transcript";
inline constexpr const char* kHistoryOptionName = "history";
inline constexpr const char* kNoHistoryOptionName = "no-history";

// The names both programs give themselves, so that they find the same folders of the user's (the
// history among them).
inline constexpr const char* kOrganizationName = "Zezidez";
inline constexpr const char* kApplicationName = "Dezadav";
void NameProgramForUserFolders();

// Where the settings history is kept unless --history says otherwise: "history" in the user's data
// folder for the program.
std::string DefaultHistoryFolder();

// One option as every help and the manual pages describe it: the value it takes (empty for a flag)
// and one line saying what it does, its default included.
struct OptionDescription {
    const char* name;        // long name without dashes
    const char* valueName;   // "N", "FILE", ...; empty for a flag
    std::string text;        // one line, no full stop
};

// The shared options' descriptions, in the order the helps list them. The history's default is the
// folder this process would use.
std::vector<OptionDescription> CommonOptionDescriptions();

// Adds the shared options, with their help lines, to `parser`.
void AddCommonOptions(QCommandLineParser& parser);

// Reads the shared options from a parser that has parsed its arguments into `options`. Ports are
// 1..65535, the broadcast address a dotted IPv4 address, the time scale a plain decimal number from 1
// to 20, the transcript and the history folder non-empty names; each may be given once. Returns the reason the first
// unusable one is refused, or nothing when all are usable.
std::optional<std::string> ReadCommonOptions(const QCommandLineParser& parser, CommonOptions& options);

}  // namespace dezadav
