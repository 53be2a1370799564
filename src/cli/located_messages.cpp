#include "cli/located_messages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "lang/messages.h"

namespace dezadav::cli {

namespace {

std::string FilePlace(const std::string& path, bool writing, const std::function<std::string()>& known) {
    std::string reason = known ? known() : std::string();
    if (reason.empty()) reason = FileRefusalReason(path, writing);
    return " (" + path + (reason.empty() ? "" : ": " + reason) + ")";
}

}  // namespace

void LocatedMessagePort::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
    std::string located = text;
    if (text == TextOrDefault(m_language, kMsgConnect) || text == TextOrDefault(m_language, kMsgLogin)) {
        located += " (" + m_router + ")";
    } else if (text == TextOrDefault(m_language, kMsgFileFail) && !m_inputFile.empty()) {
        located += FilePlace(m_inputFile, false, m_fileReason);
    } else if (text == TextOrDefault(m_language, kMsgSaveFail) && !m_outputFile.empty()) {
        located += FilePlace(m_outputFile, true, m_fileReason);
    }
    m_inner.ShowMessage(caption, located, icon);
}

std::string FileRefusalReason(const std::string& path, bool writing) {
    // Opened for appending, so that asking changes nothing in a file that exists.
    const int fd = ::open(path.c_str(), writing ? O_WRONLY | O_APPEND | O_CLOEXEC : O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat status {};
        const bool folder = ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
        ::close(fd);
        return folder ? std::strerror(EISDIR) : std::string();
    }
    int error = errno;
    if (writing && error == ENOENT) {
        // A new file: whether it can be made is up to its folder.
        std::string folder = std::filesystem::path(path).parent_path().string();
        if (folder.empty()) folder = ".";
        error = ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
    }
    return error == 0 ? std::string() : std::strerror(error);
}

}  // namespace dezadav::cli
