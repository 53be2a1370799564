#pragma once

// The emulator's router command line without a socket, behind a ScriptedTransport: what the session
// sends goes to the emulator's telnet connection, and each chunk the emulator answers arrives on the
// scripted clock when it is due. Tests that need a whole router in simulated time use this one router;
// tests of the wire use the emulator process (support/routersim_process.h).
//
// The test links dezadav_routersim_lib.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "emulated_router.h"
#include "support/scripted_transport.h"
#include "telnet_connection.h"

namespace dezadav::testing {

// What a chunk of the router answers.
enum class Answer {
    Greeting,      // the greeting on connect
    PasswordEcho,  // the '*' for a password byte
    PasswordCr,    // the first chunk answering the password's CR (banner or a new password request)
    ShellPrompt,   // the prompt after the banner
    EmptyLine,     // the prompt answering an empty line
    FirstEcho,     // the echo of a command's first byte
    CommandEcho,   // the echo of each later byte of a command
    LineBreak,     // the first chunk answering a command's CR (line break, with the output's start)
    OutputGap,     // each later chunk of that answer (the rest of the output, the prompt)
};

class EmulatedLine {
public:
    // A router with the emulator's built-in settings of the form its model name gives.
    explicit EmulatedLine(const std::string& model) {
        routersim::RouterSetup setup;
        setup.address = "127.0.0.2";
        setup.model = model;
        setup.prompt = model;
        std::string error;
        const bool ready = router.Init(setup, &error);
        EXPECT_TRUE(ready) << error;
    }

    routersim::EmulatedRouter router;
    std::vector<std::string> commands;  // every command line received, in order
    int logins = 0;                     // logins with the right password
    // The text a fetch captures for the command's last run: every chunk answering its CR, up to and
    // including the prompt, then LF CR.
    std::string Captured(const std::string& command) const {
        const auto it = m_answers.find(command);
        return (it == m_answers.end() ? std::string() : it->second) + "\n\r";
    }
    // Milliseconds an answer of a kind comes later than the emulator sends it; the later chunks of the
    // same answer move with it. Nothing: every answer as the emulator times it.
    std::function<int64_t(Answer)> delay;

    void Attach(ScriptedTransport& transport) {
        transport.onConnect = [this](ScriptedTransport& t) {
            m_loggedIn = false;
            m_typed.clear();
            m_connection = std::make_unique<routersim::TelnetConnection>(
                router,
                [this](const routersim::EmulatedRouter&, const std::string& line) {
                    commands.push_back(line);
                },
                t.Now());
            Forward(t, Answer::Greeting, Answer::Greeting);
        };
        transport.onSend = [this](const std::string& bytes, ScriptedTransport& t) {
            for (const char byte : bytes) OnByte(byte, t);
        };
    }

private:
    void OnByte(char byte, ScriptedTransport& t) {
        m_connection->Receive(&byte, 1, t.Now());
        if (!m_loggedIn) {
            if (byte != '\r') {
                Forward(t, Answer::PasswordEcho, Answer::PasswordEcho);
            } else {
                // The right password is answered by the banner and then the prompt.
                m_loggedIn = Forward(t, Answer::PasswordCr, Answer::ShellPrompt).chunks > 1;
                if (m_loggedIn) ++logins;
            }
            return;
        }
        if (byte != '\r') {
            m_typed += byte;
            const Answer echo = m_typed.size() == 1 ? Answer::FirstEcho : Answer::CommandEcho;
            Forward(t, echo, echo);
            return;
        }
        const bool empty = m_typed.find_first_not_of(std::string("\n\0 ", 3)) == std::string::npos;
        m_typed.clear();
        if (empty) {
            Forward(t, Answer::EmptyLine, Answer::EmptyLine);
        } else {
            const Forwarded answer = Forward(t, Answer::LineBreak, Answer::OutputGap);
            // A router gone silent answers nothing, and no command was taken.
            if (answer.chunks > 0 && !commands.empty()) m_answers[commands.back()] = answer.bytes;
        }
    }

    struct Forwarded {
        std::size_t chunks = 0;
        std::string bytes;
    };
    // Schedules the chunks the emulator queued: the first as `first`, the others as `later`.
    Forwarded Forward(ScriptedTransport& t, Answer first, Answer later) {
        auto& out = m_connection->Outgoing();
        Forwarded forwarded;
        int64_t extra = 0;
        for (; !out.empty(); out.pop_front()) {
            // The empty chunk that only closes the connection is not delivered.
            if (out.front().bytes.empty()) continue;
            if (delay) extra += delay(forwarded.chunks == 0 ? first : later);
            forwarded.bytes += out.front().bytes;
            t.DeliverAt(out.front().dueMs + extra, std::move(out.front().bytes));
            ++forwarded.chunks;
        }
        return forwarded;
    }

    std::unique_ptr<routersim::TelnetConnection> m_connection;
    std::map<std::string, std::string> m_answers;
    bool m_loggedIn = false;
    std::string m_typed;
};

}  // namespace dezadav::testing
