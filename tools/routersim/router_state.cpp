#include "router_state.h"

namespace dezadav::routersim {

const std::array<uint32_t, 10>& ExpirySecondsTable() {
    static const std::array<uint32_t, 10> table = {180,  300,   600,   1800,  3600,
                                                   7200, 14400, 28800, 57600, 86400};
    return table;
}

bool IsTwoPortModelName(const std::string& model) {
    return model.find("5730K") != std::string::npos || model.find("5430K") != std::string::npos;
}

void RouterState::AddCall(const CallRecord& call) {
    calls.push_front(call);
    while (calls.size() > kCallLogSlots) calls.pop_back();
}

RouterState EmptyRouterState(bool twoPort) {
    RouterState state;
    state.twoPort = twoPort;
    state.accounts[0].name = "p0";
    state.accounts[1].name = "p1";
    return state;
}

RouterState DefaultRouterState(bool twoPort) {
    RouterState state = EmptyRouterState(twoPort);
    auto set = [&state](int index, const char* phone, const char* user, const char* domain, bool enabled,
                        int loop, const char* backup) {
        DialPlanEntry& e = state.dialPlan[index - 1];
        e.phone = phone;
        e.user = user;
        e.domain = domain;
        e.enabled = enabled;
        if (!state.twoPort) {
            e.loop = loop;
            e.backup = backup;
        }
    };
    set(1, "101", "reception", "192.168.1.21", true, 1, "5551001");
    set(2, "102", "sales", "192.168.1.22", true, 2, "5551002");
    set(3, "103", "support", "192.168.1.23", false, 0, "");
    set(4, "2000", "", "branch.voip.example.net", true, 1, "");
    set(5, "2101", "p0", "10.20.0.1", true, 2, "0301234567");
    set(7, "00441", "uk-gw", "sip.carrier.example.com", false, 0, "0044123456");
    set(9, "999", "night", "192.168.1.29", true, 0, "");
    set(10, "110", "hq", "10.0.0.10", true, 1, "5552010");
    set(12, "112", "", "emergency.example.org", false, 2, "112");
    set(15, "8800", "fax", "192.168.1.80", true, 0, "");
    set(23, "30", "conference", "conf.voip.example.net", true, 1, "5553030");
    set(60, "6060", "last", "10.0.60.60", true, 2, "6060");

    state.registrar = "sip.provider.example.net";
    if (twoPort) {
        state.accounts[0] = {2, "4930123401", "s3cret-one", 3600};
        state.accounts[1] = {1, "4930123402", "s3cret-two", 7200};
        state.codec = 2;
        state.packetSize = 1;
        state.dtmfMode = 1;
        state.payloadType = "101";
        state.rtpStart = "10050";
        state.rtpEnd = "15000";
    } else {
        state.accounts[0] = {1, "0301234567", "pass-1port", 1800};
        state.codec = 0;
        state.packetSize = 2;
        state.dtmfMode = 2;
        state.payloadType = "96";
        state.rtpStart = "16384";
        state.rtpEnd = "16482";
    }

    // Oldest first, so that the newest ends up as record 1.
    const CallRecord calls[] = {
        {"03-11-2024", "08:02:15", "64", "IN", "192.168.1.21 5060"},
        {"03-11-2024", "09:30:47", "310", "OUT", "2101@10.20.0.1"},
        {"03-12-2024", "11:15:02", "5", "OUT", "00441@sip.carrier.example.com"},
        {"03-12-2024", "14:48:30", "1287", "IN", "sip.provider.example.net 5060"},
        {"03-13-2024", "07:59:59", "0", "IN", "10.0.0.10 5062"},
        {"03-13-2024", "16:20:11", "742", "OUT", "110@10.0.0.10"},
    };
    for (const auto& call : calls) state.AddCall(call);
    return state;
}

}  // namespace dezadav::routersim
