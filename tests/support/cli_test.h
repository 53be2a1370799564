#pragma once

// The fixture of a test that runs dezadav-cli (its path in DEZADAV_CLI_PATH) as a process against
// the router emulator, with temporary files and folders of its own.

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "support/cli_process.h"
#include "support/routersim_process.h"
#include "support/temp_files.h"

namespace dezadav::testing {

class CliProcessTest : public ::testing::Test {
protected:
    ~CliProcessTest() override {
        std::error_code ignored;
        for (const auto& dir : m_dirs) std::filesystem::remove_all(dir, ignored);
    }

    // Runs dezadav-cli with `args`, as RunCliProcess describes.
    CliRun Run(const std::vector<std::string>& args, std::optional<std::string> password = "admin",
               std::optional<rlim_t> fileSizeLimit = std::nullopt, const QString& standardOutputFile = {}) {
        return RunCliProcess(DEZADAV_CLI_PATH, args, password, {}, fileSizeLimit, standardOutputFile);
    }
    std::string TempPath(const std::string& name) { return m_temp.Path(name); }
    // A folder's path, removed with everything in it when the test ends.
    std::string TempDir(const std::string& name) {
        m_dirs.push_back(m_temp.Path(name));
        return m_dirs.back();
    }
    static std::vector<std::string> Ports(const RouterSimProcess& sim) {
        return {"--telnet-port", std::to_string(sim.TelnetPort()), "--discovery-port",
                std::to_string(sim.DiscoveryPort())};
    }
    static std::vector<std::string> With(std::vector<std::string> first, const std::vector<std::string>& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    }
    // What a single `fetch` of the router writes.
    std::string FetchedAlone(const RouterSimProcess& sim, const std::string& ip) {
        const std::string path = TempPath("alone_" + ip + ".csv");
        EXPECT_EQ(Run(With({"fetch", "--router", ip, "--output", path}, Ports(sim))).exitCode, 0);
        return ReadAll(path);
    }

private:
    TempFiles m_temp{"dezadav_cli_"};
    std::vector<std::string> m_dirs;
};

}  // namespace dezadav::testing
