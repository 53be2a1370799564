#include "settings/save_file_writer.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace dezadav {

FileWriteResult SaveFileWriter::WriteWhole(const std::string& path, std::string_view bytes, FileSecrecy secrecy) {
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    const auto failed = [&file]() { return FileWriteResult{false, file.errorString().toStdString()}; };
    if (!file.open(QIODevice::WriteOnly)) return failed();
    // Set on the temporary file before a byte is written, so a secret is never readable by others,
    // not even for a moment, and the renamed file keeps it.
    if (secrecy == FileSecrecy::OwnerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const FileWriteResult result = failed();
        file.cancelWriting();
        return result;
    }
    const auto size = static_cast<qint64>(bytes.size());
    // A write that meets the end of the disk (or a file-size limit) can be short without an error the
    // buffered file reports at commit: the size on disk is checked before the file replaces the old one.
    errno = 0;
    const bool whole = file.write(bytes.data(), size) == size && file.flush() && file.size() == size;
    if (!whole) {
        // The system's own words: Qt has none for a short write.
        const int error = errno != 0 ? errno : ENOSPC;
        file.cancelWriting();
        return FileWriteResult{false, std::strerror(error)};
    }
    if (!file.commit()) return failed();
    return {true, {}};
}

}  // namespace dezadav
