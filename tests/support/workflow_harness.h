#pragma once

// The parts a workflow runs on, put together once for every test that drives one: the English table,
// a user port, a session over the line the test chose, a refresh timer, the file writer and the
// workflow. A test's fixture derives from the line it wants (first, so that it is built first) and
// from WorkflowHarness, and then names the parts as the window does.

#include <string>
#include <utility>

#include "session/clock.h"
#include "session/router_session.h"
#include "session/telnet_socket.h"
#include "settings/save_file_writer.h"
#include "support/english_language.h"
#include "support/scripted_transport.h"
#include "support/scripted_user_port.h"
#include "workflow/router_workflow.h"

namespace dezadav::testing {

// The real socket and clock, for routers of the emulator process.
struct SocketLine {
    CTelnetSocket socket;
    SteadyClock clock;
};

// A scripted transport in simulated time, for the emulator's command line in this process.
struct SimulatedLine {
    ManualClock clock;
    ScriptedTransport transport{clock};
};

// `model` at `ip` as the Select Router dialog hands it over.
inline RouterSelection Chosen(const std::string& model, const std::string& ip, const std::string& mac = {}) {
    RouterSelection selection{SelectionOutcome::Ok, {}};
    selection.router.modelName = model;
    selection.router.ipAddress = ip;
    selection.router.subnetMask = "255.0.0.0";
    selection.router.macAddress = mac;
    selection.router.firmwareVersion = "1.0.0";
    return selection;
}

template <typename Port = ScriptedUserPort, typename Timer = ManualTickTimer>
class WorkflowHarness {
    LanguageTable m_english = ShippedEnglish();

public:
    // `shared`: a table the test's widgets take their texts from as well (English loaded); `portArgs`:
    // what the user port is made with.
    template <typename... PortArgs>
    explicit WorkflowHarness(RouterConnection& line, Clock& clock, LanguageTable* shared = nullptr,
                             PortArgs&&... portArgs)
        : language(shared != nullptr ? *shared : m_english),
          port(std::forward<PortArgs>(portArgs)...),
          session(line, clock, language, port.Messages()) {}

    // A Connect sequence to `selection`, confirmed with the password every emulated router takes.
    ConnectOutcome ConnectWithAdmin(const RouterSelection& selection) {
        port.selections.push_back(selection);
        port.passwords.push_back("admin");
        return workflow.ConnectSequence();
    }

    LanguageTable& language;
    Port port;
    RouterSession session;
    Timer timer;
    SaveFileWriter files;
    RouterWorkflow workflow{language, port, session, timer, files};
};

}  // namespace dezadav::testing
