#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>

namespace dezadav::routersim {

// One dial-plan entry as the router keeps it. An entry is in use when its phone number is not empty.
struct DialPlanEntry {
    std::string phone;
    std::string user;    // SIP port name; may be empty
    std::string domain;  // SIP domain name or IP address
    bool enabled = false;
    int loop = 0;        // 1 = ISDN, 2 = PSTN, 0 = none (one-port routers only)
    std::string backup;  // backup number (one-port routers only)

    bool InUse() const { return !phone.empty(); }
};

// One SIP account (one per voice port).
struct SipAccount {
    // Two-port routers: register via 0 none, 1 auto, 2 WAN, 3 LAN/VPN. One-port routers: 0 or 1, the
    // use-registrar flag.
    int registration = 0;
    std::string name;
    std::string password;
    uint32_t expirySeconds = 7200;
};

// One call of the call log, with every column as the router prints it.
struct CallRecord {
    std::string date;       // mm-dd-yyyy
    std::string time;       // hh:mm:ss
    std::string duration;   // seconds
    std::string direction;  // "IN" or "OUT"
    std::string address;    // one word, or for an incoming call "<address> <port>"
};

// Everything one emulated router holds. Routers with two voice ports differ in the dial-plan listing,
// the SIP expiry numbering, the second account and the codec choices.
struct RouterState {
    static constexpr int kDialPlanSize = 60;
    static constexpr size_t kCallLogSlots = 10;

    bool twoPort = false;
    std::array<DialPlanEntry, kDialPlanSize> dialPlan;
    std::string sipPort = "5060";
    std::string registrar;
    std::array<SipAccount, 2> accounts;
    int codec = 2;
    int packetSize = 1;
    int dtmfMode = 0;
    std::string payloadType = "101";
    std::string rtpStart = "10050";
    std::string rtpEnd = "15000";
    std::deque<CallRecord> calls;  // newest first, at most kCallLogSlots

    // Puts a call at the top of the log; the oldest call drops off when all slots are taken.
    void AddCall(const CallRecord& call);
    // Highest codec number the router accepts: 4 on two-port routers, 2 on one-port routers.
    int MaxCodec() const { return twoPort ? 4 : 2; }
};

// True when the model name marks a router with two voice ports ("5730K" or "5430K" anywhere in it).
bool IsTwoPortModelName(const std::string& model);

// The settings a router of the given form starts with: a filled dial plan (indices below and above
// 10, enabled and disabled entries, one without a SIP user), both SIP accounts, media settings and a
// call log with incoming and outgoing calls and empty slots.
RouterState DefaultRouterState(bool twoPort);

// A router with factory settings: empty dial plan and empty call log.
RouterState EmptyRouterState(bool twoPort);

// Registration expiry times in seconds, in the order of the router's expiry numbers.
const std::array<uint32_t, 10>& ExpirySecondsTable();

}  // namespace dezadav::routersim
