#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/scripted_transport.h"

namespace dezadav::testing {

// A router's command line in simulated time, for run tests that need a whole session: greeting with
// the password prompt, one '*' per password byte, the shell prompt, one echo per typed byte, and per
// command the echoed line break, the command's output and the prompt, each as its own chunk.
class FakeRouter {
public:
    std::string password = "admin";
    std::string name = "DZV-R5730K";             // the prompt is name + "> "
    std::map<std::string, std::string> outputs;  // command line -> output lines (each ending LF CR)
    std::set<std::string> silent;                // command lines answered by nothing after their CR
    std::vector<std::string> commands;           // every non-empty command line received, in order
    int logins = 0;

    std::string Prompt() const { return name + "> "; }
    std::string PromptChunk() const { return "\n\r" + Prompt(); }
    // The text a fetch hands over for `command`.
    std::string Captured(const std::string& command) const {
        const auto it = outputs.find(command);
        return (it == outputs.end() ? std::string() : it->second) + PromptChunk() + "\n\r";
    }

    void Attach(ScriptedTransport& transport) {
        transport.onConnect = [this](ScriptedTransport& t) {
            m_inShell = false;
            m_typed.clear();
            t.DeliverAfter(5, "\n\rDezadav test router\n\rPassword:");
        };
        transport.onSend = [this](const std::string& bytes, ScriptedTransport& t) {
            for (const char byte : bytes) OnByte(byte, t);
        };
    }

private:
    void OnByte(char byte, ScriptedTransport& t) {
        if (byte != '\r') {
            m_typed += byte;
            t.DeliverAfter(1, m_inShell ? std::string(1, byte) : std::string("*"));
            return;
        }
        const std::string line = m_typed;
        m_typed.clear();
        if (!m_inShell) {
            if (line == password) {
                m_inShell = true;
                ++logins;
                t.DeliverAfter(1, PromptChunk());
            } else {
                t.DeliverAfter(1, "\n\rPassword:");
            }
            return;
        }
        if (line.empty()) {
            t.DeliverAfter(1, PromptChunk());
            return;
        }
        commands.push_back(line);
        if (silent.count(line)) return;
        t.DeliverAfter(1, "\n\r");
        const auto it = outputs.find(line);
        if (it != outputs.end() && !it->second.empty()) {
            for (std::size_t at = 0; at < it->second.size(); at += 4000)
                t.DeliverAfter(1, it->second.substr(at, 4000));
        }
        t.DeliverAfter(1, PromptChunk());
    }

    bool m_inShell = false;
    std::string m_typed;
};

}  // namespace dezadav::testing
