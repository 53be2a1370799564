#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace dezadav::testing {

// Paths in the temporary folder for the files one test writes; every path handed out is removed
// when the object goes. The process id in each name keeps tests running in parallel apart.
class TempFiles {
public:
    explicit TempFiles(std::string prefix) : m_prefix(std::move(prefix)) {}
    TempFiles(const TempFiles&) = delete;
    TempFiles& operator=(const TempFiles&) = delete;
    ~TempFiles() {
        std::error_code ignored;
        for (const auto& file : m_files) std::filesystem::remove(file, ignored);
    }

    // "<temp folder>/<prefix><pid>_<name>"; the file is not created.
    std::string Path(const std::string& name) {
        auto path =
            std::filesystem::temp_directory_path() / (m_prefix + std::to_string(::getpid()) + "_" + name);
        m_files.push_back(path);
        return path.string();
    }

private:
    std::string m_prefix;
    std::vector<std::filesystem::path> m_files;
};

// The whole content of a file, empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes `bytes` as the whole content of the file.
inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace dezadav::testing
