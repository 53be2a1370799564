#pragma once

// One run of the program (workflow, session, user port) against the emulator's command line in
// simulated time (EmulatedLine), and routers in random states. The test links dezadav_workflow,
// dezadav_platform and dezadav_routersim_lib.

#include <random>
#include <string>

#include "lang/builtin_language_source.h"
#include "router_state.h"
#include "settings/save_file_writer.h"
#include "support/emulated_line.h"
#include "support/scripted_user_port.h"
#include "workflow/router_workflow.h"

namespace dezadav::testing {

inline constexpr const char* kTwoPortModel = "DZV-R5730K";
inline constexpr const char* kOnePortModel = "DZV-R5830K";

inline RouterSelection Choose(bool twoPort) {
    RouterSelection selection{SelectionOutcome::Ok, {}};
    selection.router.modelName = twoPort ? kTwoPortModel : kOnePortModel;
    selection.router.ipAddress = "127.0.0.2";
    selection.router.macAddress = "00-11-22-33-44-02";
    return selection;
}

inline LanguageTable English() {
    LanguageTable language(BuiltinLanguageSource());
    language.LoadLanguage(0);
    return language;
}

// One run of the program against a router that outlives it.
struct Program {
    explicit Program(EmulatedLine& router) { router.Attach(transport); }
    ConnectOutcome Connect(bool twoPort, const std::string& password = "admin") {
        port.selections.push_back(Choose(twoPort));
        port.passwords.push_back(password);
        return workflow.ConnectSequence();
    }
    ConnectOutcome Skip() {
        port.selections.push_back(RouterSelection{SelectionOutcome::Skip, {}});
        return workflow.ConnectSequence();
    }

    ManualClock clock;
    ScriptedTransport transport{clock};
    LanguageTable language = English();
    ScriptedUserPort port;
    RouterSession session{transport, clock, language, port.messages};
    ManualTickTimer timer;
    SaveFileWriter files;
    RouterWorkflow workflow{language, port, session, timer, files};
};

inline int Pick(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}
inline std::string Word(std::mt19937& random, const char* letters, int maxLength) {
    const std::string alphabet(letters);
    std::string word(static_cast<std::size_t>(Pick(random, 1, maxLength)), ' ');
    for (char& c : word) c = alphabet[static_cast<std::size_t>(Pick(random, 0, static_cast<int>(alphabet.size()) - 1))];
    return word;
}

// A router of the form in a state of its own, with what real routers print now and then: registrations
// and codecs out of their range, expiries that are in no list, an empty registrar.
inline routersim::RouterState RandomRouter(bool twoPort, std::mt19937& random) {
    routersim::RouterState state = routersim::EmptyRouterState(twoPort);
    for (int entries = Pick(random, 0, 12); entries > 0; --entries) {
        routersim::DialPlanEntry& entry = state.dialPlan[static_cast<std::size_t>(Pick(random, 0, 59))];
        entry.phone = Word(random, "0123456789", 10);
        entry.user = Pick(random, 0, 2) ? Word(random, "abcdefgh;,LIST", 8) : "";
        entry.domain = Word(random, "abcdefghij.0123", 16);
        entry.enabled = Pick(random, 0, 1) == 1;
        if (!twoPort) {
            entry.loop = Pick(random, 0, 2);
            entry.backup = Pick(random, 0, 1) ? Word(random, "0123456789", 8) : "";
        }
    }
    state.sipPort = std::to_string(Pick(random, 1, 65535));
    state.registrar = Pick(random, 0, 3) ? Word(random, "abcdefgh.", 20) : "";
    const auto& expiries = routersim::ExpirySecondsTable();
    for (routersim::SipAccount& account : state.accounts) {
        account.registration = Pick(random, 0, 5) == 0 ? Pick(random, 4, 9) : Pick(random, 0, twoPort ? 3 : 1);
        account.name = Word(random, "abc123", 12);
        // Values may hold what a settings file uses: commas, semicolons, its markers' letters.
        account.password = Pick(random, 0, 3) ? Word(random, "xyz789!;,", 12) : "x;LIST..5060";
        account.expirySeconds = Pick(random, 0, 5) == 0 ? static_cast<uint32_t>(Pick(random, 1, 100000))
                                                        : expiries[static_cast<std::size_t>(Pick(random, 0, 9))];
    }
    state.codec = Pick(random, 0, 5) == 0 ? Pick(random, 0, 6) : Pick(random, 0, state.MaxCodec());
    state.packetSize = Pick(random, 0, 5);
    state.dtmfMode = Pick(random, 0, 2);
    state.payloadType = std::to_string(Pick(random, 96, 127));
    const int start = Pick(random, 1024, 60000);
    state.rtpStart = std::to_string(start);
    state.rtpEnd = std::to_string(Pick(random, start, 65535));
    return state;
}

}  // namespace dezadav::testing
