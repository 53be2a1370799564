#pragma once

// The whole program line (workflow, session, telnet socket) against the router emulator, with a
// scripted user and a clock that runs faster than real time, so that runs ending in a time-out take
// a fraction of a second.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/router_commands.h"
#include "support/routersim_process.h"
#include "support/time_scaled_connection.h"
#include "support/workflow_harness.h"

namespace dezadav::testing {

inline RouterSelection Select(const RouterForm& form) {
    return Chosen(form.model, form.ip, form.mac);
}

// A scripted user that can act while the password confirmation is open (the n-th time, from 1):
// that is the moment after a failed fetch, before the next one.
class HookedUserPort : public ScriptedUserPort {
public:
    std::function<void(int)> onConfirm;
    int confirmCalls = 0;

    std::optional<std::string> ConfirmPassword(const RouterInfo& router) override {
        ++confirmCalls;
        if (onConfirm) onConfirm(confirmCalls);
        return ScriptedUserPort::ConfirmPassword(router);
    }
};

// Everything the workflow holds that a router exchange may change: the four models with the
// dial-plan changed flags, the SIP and codec rows the router holds, the strip.
struct ProgramState {
    DialPlanTable dialPlan;
    std::vector<std::string> sipFields;
    std::vector<std::string> codecFields;
    CallLogTable callLog;
    std::vector<std::string> routerSipFields;
    std::vector<std::string> routerCodecFields;
    RouterStrip strip;

    static ProgramState Of(const RouterWorkflow& workflow) {
        return ProgramState{
            workflow.Pages().DialPlan(), workflow.Pages().Sip().SipFields(),  workflow.Pages().Codec().CodecFields(true),
            workflow.Pages().CallLog(),  workflow.Router().sipFields, workflow.Router().codecFields,
            workflow.Connected().Strip()};
    }
    bool operator==(const ProgramState&) const = default;
};

// Names what differs, so that a failure says which part of the program was touched.
inline std::string Differences(const ProgramState& a, const ProgramState& b) {
    std::string out;
    for (int p = 0; p < kDialPlanEntryCount; ++p) {
        if (!(a.dialPlan.Entry(p) == b.dialPlan.Entry(p)))
            out += " entry " + std::to_string(p + 1) + ": " + a.dialPlan.Entry(p).RowText() + " vs " +
                   b.dialPlan.Entry(p).RowText();
        if (a.dialPlan.IsChanged(p) != b.dialPlan.IsChanged(p))
            out += " changed flag " + std::to_string(p + 1);
    }
    if (a.sipFields != b.sipFields) out += " SIP fields;";
    if (a.codecFields != b.codecFields) out += " codec fields;";
    if (!(a.callLog == b.callLog)) out += " call log;";
    if (a.routerSipFields != b.routerSipFields) out += " router's SIP row;";
    if (a.routerCodecFields != b.routerCodecFields) out += " router's codec row;";
    if (!(a.strip == b.strip)) out += " strip;";
    return out;
}

// Passes everything on, counts the connections made and closed, and lets a test act right before
// bytes are sent (for example to switch a fault on in the middle of a connection).
class HookedConnection : public RouterConnection {
public:
    explicit HookedConnection(RouterConnection& inner) : m_inner(inner) {}
    std::function<void(std::string_view)> beforeSend;

    int created = 0;
    int closed = 0;

    bool Create() override {
        ++created;
        return m_inner.Create();
    }
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override {
        return m_inner.Connect(ip, port, timeoutMs);
    }
    void Close() override {
        ++closed;
        m_inner.Close();
    }
    void Send(std::string_view bytes) override {
        if (beforeSend) beforeSend(bytes);
        m_inner.Send(bytes);
    }
    ChunkQueue& Queue() override { return m_inner.Queue(); }
    void PumpEvents(int64_t maxWaitMs) override { m_inner.PumpEvents(maxWaitMs); }

private:
    RouterConnection& m_inner;
};

// The real socket on a clock that runs `timeFactor` times faster than real time, with the hook.
struct ScaledLine {
    explicit ScaledLine(int64_t timeFactor) : clock(timeFactor) {}
    CTelnetSocket socket;
    FastClock clock;
    TimeScaledConnection scaled{socket, clock};
    HookedConnection connection{scaled};
};

class EmulatedWorkflow : public ScaledLine, public WorkflowHarness<HookedUserPort> {
public:
    explicit EmulatedWorkflow(std::vector<std::string> simArgs = {}, int64_t timeFactor = 20)
        : ScaledLine(timeFactor), WorkflowHarness(connection, clock), sim(std::move(simArgs)) {
        workflow.Exchange().SetTelnetPort(sim.TelnetPort());
    }

    // Sends one control line to the emulator; the test fails when it is not accepted.
    void Control(const std::string& line) {
        const std::string answer = sim.Control(line);
        ASSERT_EQ(0u, answer.rfind("OK", 0)) << line << " -> " << answer;
    }
    void Fault(const RouterForm& form, const std::string& fault) {
        Control(std::string("fault ") + form.ip + ":" + fault);
    }
    void ClearFaults(const RouterForm& form) { Control(std::string("clearfaults ") + form.ip); }

    // A Connect sequence in which the first password is "admin" and, when `retry`, the confirmation
    // after a failure answers "admin" again.
    ConnectOutcome Connect(const RouterForm& form, bool retry = false) {
        if (retry) port.passwords.push_back("admin");
        return ConnectWithAdmin(Select(form));
    }

    // The commands `form`'s router received since the log was last cleared, without its address.
    std::vector<std::string> CommandsOf(const RouterForm& form) const { return testing::CommandsOf(sim, form.ip); }

    ProgramState State() const { return ProgramState::Of(workflow); }

    RouterSimProcess sim;
};

}  // namespace dezadav::testing
