#include "cli/descriptor_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/cli_options.h"
#include "lang/messages.h"

namespace dezadav::cli {

bool DescriptorStreamBuf::WritePending() {
    std::size_t written = 0;
    while (m_error == 0 && written < m_pending.size()) {
        const ssize_t n = ::write(m_fd, m_pending.data() + written, m_pending.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    m_pending.clear();
    return m_error == 0;
}

DescriptorStreamBuf::int_type DescriptorStreamBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : c;
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize DescriptorStreamBuf::xsputn(const char* text, std::streamsize count) {
    if (m_error != 0) return 0;
    const std::string_view added(text, static_cast<std::size_t>(count));
    m_pending.append(added);
    if (added.find('\n') != std::string_view::npos && !WritePending()) return 0;
    return count;
}

int DescriptorStreamBuf::sync() {
    if (m_pending.empty()) return m_error == 0 ? 0 : -1;
    return WritePending() ? 0 : -1;
}

int FinishStandardStreams(int status, DescriptorStreamBuf& out, DescriptorStreamBuf& err) {
    out.pubsync();
    if (out.Error() != 0) {
        const std::string line = CliErrorLine(StandardOutputFailedText(std::strerror(out.Error())));
        err.sputn(line.data(), static_cast<std::streamsize>(line.size()));
    }
    err.pubsync();
    const bool lost = out.Error() != 0 || err.Error() != 0;
    return lost && status == kExitOk ? kExitFailed : status;
}

}  // namespace dezadav::cli
