#include "cli/progress_line.h"

#include "lang/messages.h"

namespace dezadav::cli {

void ProgressLine::Update(std::size_t done, std::size_t failed) {
    m_done = done;
    m_failed = failed;
    Redraw();
}

void ProgressLine::Clear() {
    if (!m_visible) return;
    m_terminal << "\r\x1b[K" << std::flush;
    m_visible = false;
}

void ProgressLine::Redraw() {
    if (!m_shown) return;
    // Carriage return and erase to the end of the line: a shorter text leaves nothing of a longer one.
    m_terminal << "\r\x1b[K" << ProgressText(m_verb, m_done, m_total, m_failed) << std::flush;
    m_visible = true;
}

}  // namespace dezadav::cli
