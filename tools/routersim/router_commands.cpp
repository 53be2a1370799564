#include "router_commands.h"

#include <charconv>
#include <functional>
#include <optional>
#include <vector>

#include "router_output.h"

namespace dezadav::routersim {
namespace {

using Args = std::vector<std::string>;

CommandResult Error(const std::string& reason) {
    return {"Error: " + reason + "\n\r", false, false};
}
CommandResult Printed(std::string text) {
    return {std::move(text), false, false};
}
CommandResult Changed() {
    return {"", true, false};
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// A value as typed: two double-quote characters stand for the empty text. Values with control bytes
// are refused, because they would break the router's own listings.
std::optional<std::string> TextValue(const std::string& word) {
    for (unsigned char c : word) {
        if (c < 0x20 || c == 0x7F) return std::nullopt;
    }
    if (word == "\"\"") return std::string();
    return word;
}

std::optional<long> NumberValue(const std::string& word, long min, long max) {
    long value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

// Numbers the router keeps as text (ports, payload type) are stored without leading zeros.
std::optional<std::string> NumberText(const std::string& word, long min, long max) {
    auto n = NumberValue(word, min, max);
    if (!n) return std::nullopt;
    return std::to_string(*n);
}

CommandResult DialPlanSet(RouterState& state, const Args& args) {
    size_t expected = state.twoPort ? 5 : 7;
    if (args.size() != expected) return Error("wrong number of values");
    auto index = NumberValue(args[0], 1, RouterState::kDialPlanSize);
    auto phone = TextValue(args[1]);
    auto user = TextValue(args[2]);
    auto domain = TextValue(args[3]);
    auto status = NumberValue(args[4], 0, 1);
    if (!index || !phone || phone->empty() || !user || !domain || !status) return Error("invalid value");
    DialPlanEntry entry;
    entry.phone = *phone;
    entry.user = *user;
    entry.domain = *domain;
    entry.enabled = *status == 1;
    if (!state.twoPort) {
        auto loop = NumberValue(args[5], 0, 2);
        auto backup = TextValue(args[6]);
        if (!loop || !backup) return Error("invalid value");
        entry.loop = static_cast<int>(*loop);
        entry.backup = *backup;
    }
    state.dialPlan[*index - 1] = entry;
    return Changed();
}

CommandResult DialPlan(RouterState& state, const Args& args) {
    if (args.size() == 2 && args[0] == "list" && args[1] == "-t") return Printed(DialPlanListing(state));
    if (!args.empty() && args[0] == "set") return DialPlanSet(state, Args(args.begin() + 1, args.end()));
    if (!args.empty() && args[0] == "del") {
        if (args.size() != 2) return Error("wrong number of values");
        auto index = NumberValue(args[1], 1, RouterState::kDialPlanSize);
        if (!index) return Error("invalid value");
        state.dialPlan[*index - 1] = DialPlanEntry();
        return Changed();
    }
    return Error("unknown command");
}

CommandResult Endpoint(RouterState& state, int port, const Args& args) {
    // A one-port router shows no second port, but takes its settings as routers in the field do.
    if (port == 2 && !state.twoPort && args.empty()) return Error("no such endpoint");
    SipAccount& account = state.accounts[port - 1];
    if (args.empty()) return Printed(SipEndpointOutput(state, port));
    if (args.size() != 2) return Error("wrong number of values");
    const std::string& item = args[0];
    if (item == "use_reg") {
        auto v = NumberValue(args[1], 0, state.twoPort ? 3 : 1);
        if (!v) return Error("invalid value");
        account.registration = static_cast<int>(*v);
    } else if (item == "name" || item == "pass") {
        auto v = TextValue(args[1]);
        if (!v) return Error("invalid value");
        (item == "name" ? account.name : account.password) = *v;
    } else if (item == "expire") {
        // Two-port routers number their expiry times from 1 ("10 mins"); one-port routers from 0
        // ("3 mins").
        const auto& table = ExpirySecondsTable();
        auto v = state.twoPort ? NumberValue(args[1], 1, 8) : NumberValue(args[1], 0, 9);
        if (!v) return Error("invalid value");
        account.expirySeconds = table[static_cast<size_t>(*v + (state.twoPort ? 1 : 0))];
    } else {
        return Error("unknown command");
    }
    return Changed();
}

CommandResult Sip(RouterState& state, const Args& args) {
    if (args.empty()) return Error("unknown command");
    const std::string& what = args[0];
    Args rest(args.begin() + 1, args.end());
    if (what == "endpt1") return Endpoint(state, 1, rest);
    if (what == "endpt2") return Endpoint(state, 2, rest);
    if (what == "calllog") return rest.empty() ? Printed(CallLogOutput(state)) : Error("unknown command");
    if (what == "port") {
        if (rest.empty()) return Printed(SipPortOutput(state));
        if (rest.size() != 1) return Error("wrong number of values");
        auto v = NumberText(rest[0], 1, 65535);
        if (!v) return Error("invalid value");
        state.sipPort = *v;
        return Changed();
    }
    if (what == "registrar") {
        if (rest.empty()) return Printed(SipRegistrarOutput(state));
        if (rest.size() != 1) return Error("wrong number of values");
        auto v = TextValue(rest[0]);
        if (!v) return Error("invalid value");
        state.registrar = *v;
        return Changed();
    }
    return Error("unknown command");
}

CommandResult Rtp(RouterState& state, const Args& args) {
    if (args.empty()) return Error("unknown command");
    const std::string& what = args[0];
    Args rest(args.begin() + 1, args.end());
    if (rest.empty()) {
        if (what == "codec") return Printed(RtpCodecOutput(state));
        if (what == "dtmf") return Printed(RtpDtmfOutput(state));
        if (what == "port") return Printed(RtpPortOutput(state));
        return Error("unknown command");
    }
    if (rest.size() != 2) return Error("wrong number of values");
    const std::string& item = rest[0];
    const std::string& value = rest[1];
    auto setNumber = [&](int& target, long max) {
        auto v = NumberValue(value, 0, max);
        if (!v) return Error("invalid value");
        target = static_cast<int>(*v);
        return Changed();
    };
    auto setText = [&](std::string& target, long min, long max) {
        auto v = NumberText(value, min, max);
        if (!v) return Error("invalid value");
        target = *v;
        return Changed();
    };
    if (what == "codec" && item == "type") return setNumber(state.codec, state.MaxCodec());
    if (what == "codec" && item == "size") return setNumber(state.packetSize, 5);
    if (what == "dtmf" && item == "mode") return setNumber(state.dtmfMode, 2);
    if (what == "dtmf" && item == "payloadtype") return setText(state.payloadType, 96, 127);
    if (what == "port" && item == "start") return setText(state.rtpStart, 1024, 65535);
    if (what == "port" && item == "end") return setText(state.rtpEnd, 1024, 65535);
    return Error("unknown command");
}

}  // namespace

CommandResult RunRouterCommand(RouterState& state, const std::string& line) {
    Args words = SplitWords(line);
    if (words.empty()) return {};
    if (words.size() == 1 && (words[0] == "exit" || words[0] == "quit" || words[0] == "logout")) {
        return {"", false, true};
    }
    if (words[0] != "voip" || words.size() < 2) return Error("unknown command");
    Args rest(words.begin() + 2, words.end());
    if (words[1] == "dial_plan") return DialPlan(state, rest);
    if (words[1] == "sip") return Sip(state, rest);
    if (words[1] == "rtp") return Rtp(state, rest);
    return Error("unknown command");
}

}  // namespace dezadav::routersim
