#pragma once

#include "settings/file_writer.h"

namespace dezadav {

// The program's one file writer, over QSaveFile: temporary file, flush, rename. Stateless, so one
// object may serve several threads.
class SaveFileWriter : public FileWriter {
public:
    FileWriteResult WriteWhole(const std::string& path, std::string_view bytes, FileSecrecy secrecy) override;
};

}  // namespace dezadav
