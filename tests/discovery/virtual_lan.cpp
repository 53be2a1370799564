#include "discovery/virtual_lan.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace dezadav::testing {
namespace {

constexpr const char* kPrefixStem = "dzdlan-";
constexpr int kStopTimeoutMs = 5000;

QString IpProgram() {
    for (const char* candidate : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"}) {
        if (QFileInfo::exists(candidate)) return candidate;
    }
    return QStandardPaths::findExecutable("ip");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// Names of namespaces that currently exist (the first word of each `ip netns list` line).
std::vector<std::string> ExistingNamespaces() {
    std::vector<std::string> names;
    const CommandResult list = RunCommand(IpProgram(), {"netns", "list"});
    for (const std::string& line : Lines(list.out)) {
        const std::string name = line.substr(0, line.find(' '));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

void KillProcessesIn(const std::string& ns) {
    const CommandResult pids = RunCommand(IpProgram(), {"netns", "pids", QString::fromStdString(ns)});
    for (const std::string& line : Lines(pids.out)) {
        const long pid = std::strtol(line.c_str(), nullptr, 10);
        if (pid > 1 && pid != getpid()) ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
}

void DeleteNamespace(const std::string& ns) {
    KillProcessesIn(ns);
    RunCommand(IpProgram(), {"netns", "del", QString::fromStdString(ns)});
}

// Namespaces of earlier runs whose process has died: "dzdlan-<pid>-<n>-<role>".
void RemoveStaleNamespaces() {
    for (const std::string& name : ExistingNamespaces()) {
        if (name.rfind(kPrefixStem, 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + std::char_traits<char>::length(kPrefixStem), nullptr, 10);
        if (pid <= 0 || pid == getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        DeleteNamespace(name);
    }
}

}  // namespace

CommandResult RunCommand(const QString& program, const QStringList& args, int timeoutMs) {
    CommandResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs)) return result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(kStopTimeoutMs);
    } else {
        result.finished = process.exitStatus() == QProcess::NormalExit;
        result.exitCode = process.exitCode();
    }
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

VirtualLan::VirtualLan() {
    static std::atomic<int> counter{0};
    m_prefix = kPrefixStem + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-";
}

VirtualLan::~VirtualLan() {
    Destroy();
}

std::string VirtualLan::WhyUnavailable() {
    if (geteuid() != 0) return "needs root to create network namespaces";
    if (IpProgram().isEmpty()) return "the ip command is not installed";
    const CommandResult probe = RunCommand(IpProgram(), {"netns", "list"});
    if (!probe.finished || probe.exitCode != 0) return "ip netns is not available: " + probe.err;
    return {};
}

bool VirtualLan::IpRoot(const QStringList& args) {
    const CommandResult result = RunCommand(IpProgram(), args);
    if (result.finished && result.exitCode == 0) return true;
    m_error = "ip " + args.join(' ').toStdString() + " failed: " + result.err;
    return false;
}

bool VirtualLan::Create() {
    RemoveStaleNamespaces();
    m_switch = m_prefix + "switch";
    if (!IpRoot({"netns", "add", QString::fromStdString(m_switch)})) return false;
    m_namespaces.push_back(m_switch);
    return Ip(m_switch, {"link", "add", "br0", "type", "bridge"}) &&
           Ip(m_switch, {"link", "set", "br0", "up"});
}

bool VirtualLan::Ip(const std::string& ns, const QStringList& args) {
    return IpRoot(QStringList{"-n", QString::fromStdString(ns)} + args);
}

std::string VirtualLan::AddHost(const std::string& role, const std::vector<std::string>& addresses) {
    const std::string ns = m_prefix + role;
    const QString host = QString::fromStdString(ns);
    // The switch side of each pair is named after the host's number, unique inside the switch.
    const QString port = QString("p%1").arg(m_hosts++);
    if (!IpRoot({"netns", "add", host})) return {};
    m_namespaces.push_back(ns);
    if (!Ip(ns, {"link", "add", kHostInterface, "type", "veth", "peer", "name", port, "netns",
                 QString::fromStdString(m_switch)}) ||
        !Ip(m_switch, {"link", "set", port, "master", "br0"}) || !Ip(m_switch, {"link", "set", port, "up"})) {
        return {};
    }
    for (const std::string& address : addresses) {
        if (!Ip(ns, {"addr", "add", QString::fromStdString(address), "brd", "+", "dev", kHostInterface}))
            return {};
    }
    if (!Ip(ns, {"link", "set", kHostInterface, "up"}) || !Ip(ns, {"link", "set", "lo", "up"})) return {};
    return ns;
}

QProcess* VirtualLan::Start(const std::string& ns, const QString& program, const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    // `ip netns exec` execs the program itself, so the signal reaches it if this test dies.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process->start(IpProgram(), QStringList{"netns", "exec", QString::fromStdString(ns), program} + args);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

CommandResult VirtualLan::Run(const std::string& ns, const QString& program, const QStringList& args,
                              int timeoutMs) {
    return RunCommand(IpProgram(), QStringList{"netns", "exec", QString::fromStdString(ns), program} + args,
                      timeoutMs);
}

bool VirtualLan::Destroy() {
    if (m_processes.empty() && m_namespaces.empty()) return true;
    for (auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(kStopTimeoutMs);
        }
    }
    m_processes.clear();
    for (auto it = m_namespaces.rbegin(); it != m_namespaces.rend(); ++it) DeleteNamespace(*it);
    const std::vector<std::string> left = ExistingNamespaces();
    bool clean = true;
    for (const std::string& ns : m_namespaces) {
        if (std::find(left.begin(), left.end(), ns) != left.end()) clean = false;
    }
    m_namespaces.clear();
    return clean;
}

}  // namespace dezadav::testing
