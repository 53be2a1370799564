#include "router_output.h"

namespace dezadav::routersim {
namespace {

constexpr const char* kEol = "\n\r";

const char* const kRegisterViaNames[] = {"None", "Auto", "WAN", "LAN/VPN"};
const char* const kCodecNames[] = {"G.711MU", "G.711A", "G.729A/B", "G.723", "G.726_32"};
const char* const kDtmfNames[] = {"InBand", "OutBand", "SIP INFO"};

std::string Line(const std::string& text) {
    return text + kEol;
}

}  // namespace

std::string DialPlanListing(const RouterState& state) {
    std::string out;
    for (int i = 0; i < RouterState::kDialPlanSize; ++i) {
        const DialPlanEntry& e = state.dialPlan[i];
        if (!e.InUse()) continue;
        out += Line("Dialplan idx: " + std::to_string(i + 1) + " " + (e.enabled ? "active" : "inactive"));
        out += Line("  phone number    : " + e.phone);
        out += Line("port: " + e.user);
        out += Line("domain:  " + e.domain);
        if (state.twoPort) {
            out += kEol;
        } else {
            out += Line("loop: " + std::to_string(e.loop));
            out += Line("backup number: " + e.backup);
        }
    }
    return out;
}

std::string SipEndpointOutput(const RouterState& state, int port) {
    const SipAccount& a = state.accounts[port == 1 ? 0 : 1];
    std::string out;
    out += Line("SIP endpoint " + std::to_string(port));
    if (state.twoPort) {
        int via = a.registration >= 0 && a.registration <= 3 ? a.registration : 0;
        out += Line("  register via registrar: " + std::to_string(a.registration) + " (" +
                    kRegisterViaNames[via] + ")");
    } else {
        out += Line("  use registrar: " + std::to_string(a.registration) +
                    (a.registration ? " (yes)" : " (no)"));
    }
    out += Line("  user name: " + a.name);
    out += Line("  password: " + a.password);
    out += Line("  register expire seconds: " + std::to_string(a.expirySeconds));
    return out;
}

std::string SipPortOutput(const RouterState& state) {
    return Line("SIP port number: " + state.sipPort);
}

std::string SipRegistrarOutput(const RouterState& state) {
    return Line("SIP registrar") + Line("  Now: " + state.registrar);
}

std::string RtpCodecOutput(const RouterState& state) {
    std::string out;
    out += Line("RTP codec");
    std::string name = state.codec >= 0 && state.codec <= 4 ? kCodecNames[state.codec] : "?";
    out += Line("  codec type = " + std::to_string(state.codec) + " (" + name + ")");
    out += Line("  packet size = " + std::to_string(state.packetSize) + " (" +
                std::to_string((state.packetSize + 1) * 10) + " ms)");
    return out;
}

std::string RtpDtmfOutput(const RouterState& state) {
    std::string out;
    out += Line("DTMF");
    std::string name = state.dtmfMode >= 0 && state.dtmfMode <= 2 ? kDtmfNames[state.dtmfMode] : "?";
    out += Line("  mode: " + std::to_string(state.dtmfMode) + " (" + name + ")");
    out += Line("  payload type: " + state.payloadType);
    return out;
}

std::string RtpPortOutput(const RouterState& state) {
    std::string out;
    out += Line("RTP port range");
    out += Line("  start port: " + state.rtpStart);
    out += Line("  end port: " + state.rtpEnd);
    return out;
}

std::string CallLogOutput(const RouterState& state) {
    std::string out;
    out += Line("VoIP call log (newest first)");
    for (size_t i = 0; i < RouterState::kCallLogSlots; ++i) {
        std::string number = "No." + std::to_string(i + 1);
        if (i < state.calls.size()) {
            const CallRecord& c = state.calls[i];
            out += Line(number + "\t" + c.date + "\t" + c.time + "\t" + c.duration + "\t" + c.direction +
                        "\t" + c.address);
        } else {
            out += Line(number + "\t00-00-    0\t00:00:00\t0\t-\t");
        }
    }
    return out;
}

}  // namespace dezadav::routersim
