#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QString>
#include <QStringList>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace dezadav::testing {

// What one run of the command-line tool ended with: its exit status (-1 when it did not start,
// did not finish or crashed) and everything it wrote to standard output and standard error.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `text` split at line ends, without them.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Sets up `process` to run dezadav-cli as RunCliProcess describes: the password from DEZADAV_PASSWORD
// when `password` is given, no inherited DEZADAV_ variable, the user's settings folder hidden, the
// user's data folder `dataHome`, no controlling terminal, and with `fileSizeLimit` no file growing
// beyond that many bytes.
inline void PrepareCliProcess(QProcess& process, const QString& dataHome, const std::optional<std::string>& password,
                              const std::vector<std::pair<QString, QString>>& environment = {},
                              std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys()) {
        if (name.startsWith(QStringLiteral("DEZADAV_"))) env.remove(name);
    }
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/nonexistent/dezadav-test-config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    for (const auto& [name, value] : environment) env.insert(name, value);
    if (password) env.insert("DEZADAV_PASSWORD", QString::fromStdString(*password));
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([fileSizeLimit] {
        ::setsid();
        if (fileSizeLimit) {
            // Ignored, the signal stays ignored across exec and the write returns EFBIG instead.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{*fileSizeLimit, *fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
    });
}

// Runs the tool at `program` with `args` as a separate process and collects what it printed. The
// password comes from DEZADAV_PASSWORD when `password` is given; every inherited DEZADAV_ variable
// is dropped and the user's settings folder hidden, so only `environment` sets defaults; the user's
// data folder (where the history is kept by default) is a temporary one of this run's. The child
// has no controlling terminal, so it can never wait for typed input. A non-empty password found in
// either output fails the calling test. With `fileSizeLimit`, no file the child writes can grow
// beyond that many bytes: a write past it fails as on a full disk. With `standardOutputFile`, the
// child's standard output goes to that file instead of being collected.
inline CliRun RunCliProcess(const QString& program, const std::vector<std::string>& args,
                            const std::optional<std::string>& password,
                            const std::vector<std::pair<QString, QString>>& environment = {},
                            std::optional<rlim_t> fileSizeLimit = std::nullopt,
                            const QString& standardOutputFile = {}) {
    QProcess process;
    QStringList arguments;
    for (const auto& a : args) arguments << QString::fromStdString(a);
    const QTemporaryDir dataHome;
    PrepareCliProcess(process, dataHome.path(), password, environment, fileSizeLimit);
    if (!standardOutputFile.isEmpty()) process.setStandardOutputFile(standardOutputFile);
    process.start(program, arguments);
    CliRun run;
    if (!process.waitForStarted(10000)) return run;
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    if (password && !password->empty()) {
        EXPECT_EQ(run.out.find(*password), std::string::npos) << "password printed";
        EXPECT_EQ(run.err.find(*password), std::string::npos) << "password printed";
    }
    return run;
}

}  // namespace dezadav::testing
