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

#include "settings/save_file_writer.h"
#include "lang/builtin_language_source.h"
#include "session/telnet_socket.h"
#include "support/routersim_process.h"
#include "support/scripted_user_port.h"
#include "support/time_scaled_connection.h"
#include "workflow/router_workflow.h"

namespace dezadav::testing {

struct RouterForm {
    const char* ip;
    const char* model;
    const char* mac;
    bool twoPort;
};
inline void PrintTo(const RouterForm& form, std::ostream* out) {
    *out << form.model << " at " << form.ip;
}
inline constexpr RouterForm kTwoPortForm{"127.0.0.2", "DZV-R5730K", "00-11-22-33-44-02", true};
inline constexpr RouterForm kOnePortForm{"127.0.0.3", "DZV-R5830K", "00-11-22-33-44-03", false};

inline std::string FormName(const RouterForm& form) {
    return form.twoPort ? "TwoPort" : "OnePort";
}

inline RouterSelection Select(const RouterForm& form) {
    RouterSelection selection{SelectionOutcome::Ok, {}};
    selection.router.modelName = form.model;
    selection.router.ipAddress = form.ip;
    selection.router.subnetMask = "255.0.0.0";
    selection.router.macAddress = form.mac;
    selection.router.firmwareVersion = "1.0.0";
    return selection;
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

// Passes everything on, and lets a test act right before bytes are sent (for example to switch a
// fault on in the middle of a connection).
class HookedConnection : public RouterConnection {
public:
    explicit HookedConnection(RouterConnection& inner) : m_inner(inner) {}
    std::function<void(std::string_view)> beforeSend;

    bool Create() override { return m_inner.Create(); }
    bool Connect(const std::string& ip, uint16_t port, int64_t timeoutMs) override {
        return m_inner.Connect(ip, port, timeoutMs);
    }
    void Close() override { m_inner.Close(); }
    void Send(std::string_view bytes) override {
        if (beforeSend) beforeSend(bytes);
        m_inner.Send(bytes);
    }
    ChunkQueue& Queue() override { return m_inner.Queue(); }
    void PumpEvents(int64_t maxWaitMs) override { m_inner.PumpEvents(maxWaitMs); }

private:
    RouterConnection& m_inner;
};

class EmulatedWorkflow {
public:
    // `timeFactor`: how much faster than real time the session's clock runs.
    explicit EmulatedWorkflow(std::vector<std::string> simArgs = {}, int64_t timeFactor = 20)
        : sim(std::move(simArgs)), clock(timeFactor), scaled(socket, clock), connection(scaled) {
        language.SetSource(BuiltinLanguageSource());
        language.LoadLanguage(0);
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
        port.selections.push_back(Select(form));
        port.passwords.push_back("admin");
        if (retry) port.passwords.push_back("admin");
        return workflow.ConnectSequence();
    }

    // The commands `form`'s router received since the log was last cleared, without its address.
    std::vector<std::string> CommandsOf(const RouterForm& form) const {
        const std::string prefix = std::string(form.ip) + " ";
        std::vector<std::string> commands;
        for (const std::string& line : sim.CommandLog()) {
            if (line.rfind(prefix, 0) == 0) commands.push_back(line.substr(prefix.size()));
        }
        return commands;
    }

    ProgramState State() const { return ProgramState::Of(workflow); }

    RouterSimProcess sim;
    LanguageTable language;
    CTelnetSocket socket;
    FastClock clock;
    TimeScaledConnection scaled;
    HookedConnection connection;
    HookedUserPort port;
    RouterSession session{connection, clock, language, port.messages};
    ManualTickTimer timer;
    SaveFileWriter files;
    RouterWorkflow workflow{language, port, session, timer, files};
};

// The fetch commands of `form`, in the order a full fetch sends them.
inline std::vector<std::string> FetchCommandsOf(const RouterForm& form) {
    std::vector<std::string> commands;
    for (const FetchCommand& command : kFetchCommands) {
        if (command.twoPortOnly && !form.twoPort) continue;
        commands.emplace_back(command.command);
    }
    return commands;
}

}  // namespace dezadav::testing
