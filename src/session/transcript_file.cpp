#include "session/transcript_file.h"

#include "lang/messages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace dezadav {

TranscriptFile::TranscriptFile(std::string path, std::function<void(const std::string&)> report)
    : m_path(std::move(path)), m_report(std::move(report)) {}

TranscriptFile::~TranscriptFile() {
    if (m_fd >= 0) ::close(m_fd);
}

void TranscriptFile::ReportOnce(const std::string& reason) {
    if (m_reported) return;
    m_reported = true;
    if (m_report) m_report(TranscriptUnwritableText(m_path, reason));
}

bool TranscriptFile::Open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0) return true;
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (m_fd < 0) {
        ReportOnce(std::strerror(errno));
        return false;
    }
    return true;
}

bool TranscriptFile::Append(std::string_view block) {
    if (!Open()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::size_t written = 0;
    while (written < block.size()) {
        const ssize_t n = ::write(m_fd, block.data() + written, block.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ReportOnce(std::strerror(errno));
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace dezadav
