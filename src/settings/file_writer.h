#pragma once

#include <string>
#include <string_view>

namespace dezadav {

// Who may read a written file. A file that holds SIP account passwords is its owner's alone.
enum class FileSecrecy {
    Plain,      // the permissions a new file gets from the user's umask (an existing file keeps its own)
    OwnerOnly,  // read and write for the owner, nothing for anyone else (0600)
};

// How a write ended. On failure the file at the path is as it was before, and `reason` holds the
// system's words for what went wrong (for terminal users; the window shows its own message).
struct FileWriteResult {
    bool ok = false;
    std::string reason;
};

// Writes files whole: the new content goes to a temporary file beside the target, which replaces the
// target only once every byte is on disk. A full disk or a vanished folder never leaves a file half
// written or the old one damaged.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual FileWriteResult WriteWhole(const std::string& path, std::string_view bytes, FileSecrecy secrecy) = 0;
};

}  // namespace dezadav
