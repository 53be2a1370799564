#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace dezadav::testing {

// Output of one bounded command run.
struct CommandResult {
    bool finished = false;  // false: it did not end within its time and was killed
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args`, waiting at most `timeoutMs`.
CommandResult RunCommand(const QString& program, const QStringList& args, int timeoutMs = 15000);

// A small LAN made of network namespaces for one test: a "switch" namespace holding a bridge, and
// hosts joined to it by veth pairs. Every namespace name starts with a per-run prefix; everything
// lives inside the namespaces, so deleting them removes all of it. The destructor stops every
// process started here and deletes every namespace, also when the test failed. Namespaces left by
// an earlier run that crashed (its process is gone) are removed when the next one starts.
class VirtualLan {
public:
    VirtualLan();
    ~VirtualLan();
    VirtualLan(const VirtualLan&) = delete;
    VirtualLan& operator=(const VirtualLan&) = delete;

    // Empty when a LAN can be built here; otherwise why not (not root, no `ip`, no namespaces).
    static std::string WhyUnavailable();

    // Creates the switch namespace. False, with the reason in Error(), on failure.
    bool Create();
    // Adds a host namespace joined to the switch, its interface holding `addresses` (CIDR, e.g.
    // "10.1.2.3/24", with their broadcast addresses). Returns the namespace name, empty on failure.
    std::string AddHost(const std::string& role, const std::vector<std::string>& addresses);
    // Runs an `ip` command inside namespace `ns` ("route add default dev h0").
    bool Ip(const std::string& ns, const QStringList& args);
    // Starts a long-running program inside `ns`; it is stopped by Destroy().
    QProcess* Start(const std::string& ns, const QString& program, const QStringList& args);
    // Runs a program inside `ns` to its end (bounded).
    CommandResult Run(const std::string& ns, const QString& program, const QStringList& args,
                      int timeoutMs = 15000);

    // Stops the processes and deletes the namespaces; true when none of them is left afterwards.
    bool Destroy();

    const std::string& Error() const { return m_error; }
    // The name every host interface has inside its namespace.
    static constexpr const char* kHostInterface = "h0";

private:
    bool IpRoot(const QStringList& args);

    std::string m_prefix;
    std::string m_switch;
    std::vector<std::string> m_namespaces;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    std::string m_error;
    int m_hosts = 0;
};

}  // namespace dezadav::testing
