#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace dezadav::cli {

// The one-line progress of a many-router command on a terminal ("backup 12/40 · 1 failed"),
// rewritten in place. When the stream is no terminal nothing of it is ever written.
class ProgressLine {
public:
    ProgressLine(std::ostream& terminal, bool shown, std::string verb, std::size_t total)
        : m_terminal(terminal), m_shown(shown), m_verb(std::move(verb)), m_total(total) {}

    void Update(std::size_t done, std::size_t failed);
    // Takes the line away, so that other output starts at the beginning of a clean line; the next
    // Redraw() or Update() puts it back.
    void Clear();
    void Redraw();

private:
    std::ostream& m_terminal;
    bool m_shown;
    std::string m_verb;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
    bool m_visible = false;
};

}  // namespace dezadav::cli
