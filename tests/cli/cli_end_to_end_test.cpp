// dezadav-cli run as a separate process against the router emulator, for every command; the failures of
// the router in the middle of an exchange are the CLI fault suite's (tests/reliability/cli_fault_test).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>

#include "session/fetched_texts.h"
#include "support/cli_test.h"
#include "support/router_commands.h"
#include "support/workflow_harness.h"

namespace dezadav::testing {
namespace {

constexpr const char* kTwoPortIp = "127.0.0.2";
constexpr const char* kOnePortIp = "127.0.0.3";
constexpr const char* kTwoPortModel = "DZV-R5730K";
constexpr const char* kOnePortModel = "DZV-R5830K";
constexpr const char* kApplyOk = "Settings have been applied to router.";

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t at = line.find(separator, start);
        fields.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return fields;
        start = at + 1;
    }
}

// A loopback port with nothing listening on it (bound, read, released).
template <typename Socket>
uint16_t UnusedLoopbackPort() {
    Socket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    uint16_t port = socket.localPort();
    socket.close();
    return port;
}
uint16_t ClosedTcpPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    uint16_t port = server.serverPort();
    server.close();
    return port;
}

class CliEndToEndTest : public CliProcessTest {
protected:
    std::vector<std::string> RouterArgs(RouterSimProcess& sim, const std::string& ip,
                                        const std::string& model) {
        return {"--router", ip, "--telnet-port", std::to_string(sim.TelnetPort()), "--model", model};
    }

    // The file fetch writes of the router, its SIP port changed to `sipPort` when one is given.
    std::string Fetched(RouterSimProcess& sim, const std::string& ip, const std::string& sipPort = {}) {
        const std::string path = TempPath(ip + sipPort + ".csv");
        EXPECT_EQ(Run(With({"fetch", "--router", ip, "--output", path}, Ports(sim))).exitCode, 0);
        std::string text = ReadAll(path);
        if (!sipPort.empty()) WriteAll(path, text.replace(text.find("\r\n5060,") + 2, 4, sipPort));
        return path;
    }

    // What Save All writes right after a successful Connect sequence of a freshly started program,
    // produced in this process by the workflow itself.
    std::string SaveAllOfFreshProgram(RouterSimProcess& sim, const std::string& ip,
                                      const std::string& model) {
        SocketLine line;
        WorkflowHarness<> program(line.socket, line.clock);
        program.workflow.Exchange().SetTelnetPort(sim.TelnetPort());
        EXPECT_EQ(program.ConnectWithAdmin(Chosen(model, ip)), ConnectOutcome::Connected);
        return program.workflow.Files().SettingsFileText();
    }
};

TEST_F(CliEndToEndTest, HelpVersionAndUsageErrors) {
    CliRun help = Run({"-h"}, std::nullopt);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word :
         {"discover", "fetch", "apply", "log", "backup", "--dry-run", "DEZADAV_PASSWORD", "Exit status"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    EXPECT_TRUE(help.err.empty());

    // A command's help lists its own options only.
    CliRun fetchHelp = Run({"fetch", "--help"}, std::nullopt);
    EXPECT_EQ(fetchHelp.exitCode, 0);
    EXPECT_EQ(fetchHelp.out.rfind("Usage: dezadav-cli fetch", 0), 0u) << fetchHelp.out;
    EXPECT_NE(fetchHelp.out.find("--output"), std::string::npos);
    EXPECT_EQ(fetchHelp.out.find("--dry-run"), std::string::npos);

    CliRun version = Run({"--version"}, std::nullopt);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "dezadav-cli " DEZADAV_VERSION "\n");

    // One line naming the problem, one pointing to the help of the command concerned.
    const std::vector<std::pair<std::vector<std::string>, std::string>> errors = {
        {{}, "dezadav-cli --help"},
        {{"frobnicate"}, "dezadav-cli --help"},
        {{"fetch", "--output", "x.csv"}, "dezadav-cli fetch --help"},
        {{"log", "--router", "1.2.3"}, "dezadav-cli log --help"},
        {{"log", "--router", "127.0.0.2", "--password", "admin"}, "dezadav-cli log --help"},
    };
    for (const auto& [args, helpCommand] : errors) {
        CliRun run = Run(args, std::nullopt);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.rfind("dezadav-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.substr(run.err.find('\n') + 1), "Try '" + helpCommand + "'.\n");
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(CliEndToEndTest, DiscoverPrintsOneTabSeparatedLinePerRouterInArrivalOrder) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    CliRun run = Run({"discover", "--broadcast", sim.DiscoveryAddress(), "--discovery-port",
                      std::to_string(sim.DiscoveryPort()), "--wait", "1500"},
                     std::nullopt);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), sim.RouterAddresses().size());
    std::vector<std::string> ips;
    for (const auto& line : lines) {
        auto fields = Split(line, '\t');
        ASSERT_EQ(fields.size(), 5u) << line;
        ips.push_back(fields[1]);
        EXPECT_EQ(fields[0], fields[1] == kTwoPortIp ? kTwoPortModel : kOnePortModel);
        EXPECT_EQ(Split(fields[3], '-').size(), 6u);  // MAC address
    }
    std::sort(ips.begin(), ips.end());
    EXPECT_EQ(ips, sim.RouterAddresses());
    // The same as one JSON document.
    const CliRun json = Run({"discover", "--json", "--broadcast", sim.DiscoveryAddress(), "--discovery-port",
                             std::to_string(sim.DiscoveryPort())},
                            std::nullopt);
    const QJsonArray found = QJsonDocument::fromJson(QByteArray::fromStdString(json.out))["routers"].toArray();
    // clang-format off
    EXPECT_TRUE(found.contains(QJsonObject{{"model", kTwoPortModel}, {"ip", kTwoPortIp}, {"mask", "255.0.0.0"},
                                           {"mac", "00-1D-5A-73-00-02"}, {"firmware", "2.6.14"}}));
    // clang-format on
    EXPECT_EQ(found.size(), 2);

    // Nobody answering fails, with a line that says so; the JSON document then lists no router.
    const std::string silentPort = std::to_string(UnusedLoopbackPort<QUdpSocket>());
    for (const bool asJson : {false, true}) {
        std::vector<std::string> args{"discover", "--broadcast", "127.0.0.1", "--discovery-port", silentPort,
                                      "--wait", "200"};
        if (asJson) args.push_back("--json");
        const CliRun silent = Run(args, std::nullopt);
        EXPECT_EQ(silent.exitCode, 1);
        EXPECT_EQ(silent.err, "dezadav-cli: no router answered at 127.0.0.1:" + silentPort + " within 200 ms\n");
        EXPECT_EQ(silent.out, asJson ? "{\n    \"routers\": [\n    ]\n}\n" : "");
    }
}

TEST_F(CliEndToEndTest, FetchWritesExactlyWhatSaveAllWritesForBothRouterForms) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    for (auto [ip, model] : {std::pair{kTwoPortIp, kTwoPortModel}, std::pair{kOnePortIp, kOnePortModel}}) {
        const std::string path = TempPath(std::string("fetch_") + ip + ".csv");
        CliRun run = Run(With({"fetch", "--output", path}, RouterArgs(sim, ip, model)));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(run.err.empty());
        const std::string expected = SaveAllOfFreshProgram(sim, ip, model);
        EXPECT_EQ(ReadAll(path), expected) << ip;
        // "-" is standard output, the same bytes.
        CliRun toStdout = Run(With({"fetch", "--output", "-"}, RouterArgs(sim, ip, model)));
        EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
        EXPECT_EQ(toStdout.out, expected) << ip;
        // The fetch to a file, the one to standard output and the check's own.
        EXPECT_EQ(CommandsOf(sim, ip).size(), std::string(ip) == kTwoPortIp ? 27u : 24u);
    }
}

TEST_F(CliEndToEndTest, FetchWithoutModelAsksTheRouterItself) {
    // Each router answers a request sent to its own address; the two-port router is made silent.
    RouterSimProcess sim({"--discovery", std::string(kOnePortIp) + ":0", "--fault",
                          std::string(kTwoPortIp) + ":discovery=silent"});
    ASSERT_TRUE(sim.IsRunning());
    const std::string discoveryPort = std::to_string(sim.DiscoveryPort());
    const std::string telnetPort = std::to_string(sim.TelnetPort());

    const std::string path = TempPath("fetch_discovered.csv");
    CliRun run = Run({"fetch", "--router", kOnePortIp, "--telnet-port", telnetPort, "--discovery-port",
                      discoveryPort, "--output", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadAll(path), SaveAllOfFreshProgram(sim, kOnePortIp, kOnePortModel));
    const auto received = CommandsOf(sim, kOnePortIp);
    EXPECT_EQ(std::count(received.begin(), received.end(), "voip sip endpt2"), 0);
    EXPECT_EQ(std::count(received.begin(), received.end(), "voip sip endpt1"), 2);

    // The two-port router does not answer: no answer, no login at all.
    sim.ClearCommandLog();
    CliRun unanswered = Run({"fetch", "--router", kTwoPortIp, "--telnet-port", telnetPort, "--discovery-port",
                             discoveryPort, "--wait", "300", "--output", TempPath("never.csv")});
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_NE(unanswered.err.find("No answer to the discovery request from 127.0.0.2"), std::string::npos);
    EXPECT_TRUE(sim.CommandLog().empty());
}

TEST_F(CliEndToEndTest, RouterAndFileFailuresExitWithOneAndTheirMessage) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());

    const std::string path = TempPath("wrong_pw.csv");
    CliRun wrong =
        Run(With({"fetch", "--output", path}, RouterArgs(sim, kTwoPortIp, kTwoPortModel)), "wrong-pw");
    EXPECT_EQ(wrong.exitCode, 1);
    const std::string telnetPlace = std::string(kTwoPortIp) + ":" + std::to_string(sim.TelnetPort());
    EXPECT_EQ(wrong.err, "Failed to login router! (" + telnetPlace + ")\n");
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string closedPort = std::to_string(ClosedTcpPort());
    CliRun refused = Run({"log", "--router", kTwoPortIp, "--telnet-port", closedPort});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "Failed to connect to router! (" + std::string(kTwoPortIp) + ":" + closedPort + ")\n");

    const std::string unwritablePath = TempPath("no_dir") + "/x.csv";
    CliRun unwritable =
        Run(With({"fetch", "--output", unwritablePath}, RouterArgs(sim, kOnePortIp, kOnePortModel)));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err,
              "Couldn't save settings to the file! (" + unwritablePath + ": No such file or directory)\n");

    const std::string missing = TempPath("missing.csv");
    CliRun missingInput =
        Run(With({"apply", "--input", missing, "--dry-run"}, RouterArgs(sim, kOnePortIp, kOnePortModel)));
    EXPECT_EQ(missingInput.exitCode, 1);
    EXPECT_EQ(missingInput.err, "Couldn't load settings form the file! (" + TempPath("missing.csv") +
                                    ": No such file or directory)\n");
}

// What is no settings file is refused and nothing is sent; a file that cannot be written whole leaves
// the one before as it was; files with SIP passwords are their owner's alone.
TEST_F(CliEndToEndTest, FilesAreReadStrictlyAndWrittenWholeOrNotAtAll) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string picture = TempPath("picture.png");
    WriteAll(picture, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    sim.ClearCommandLog();
    CliRun refused = Run(With({"apply", "--input", picture}, RouterArgs(sim, kTwoPortIp, kTwoPortModel)));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "Couldn't load settings form the file! (" + picture + ": it holds no settings section)\n");
    for (const std::string& command : CommandsOf(sim, kTwoPortIp)) {
        EXPECT_EQ(command.find(" set"), std::string::npos) << command;
    }

    const std::string output = TempPath("kept.csv");
    ASSERT_EQ(Run(With({"fetch", "--output", output}, RouterArgs(sim, kTwoPortIp, kTwoPortModel))).exitCode, 0);
    struct stat status {};
    ASSERT_EQ(::stat(output.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const std::string earlier = ReadAll(output);
    CliRun full = Run(With({"fetch", "--output", output}, RouterArgs(sim, kTwoPortIp, kTwoPortModel)), "admin",
                      earlier.size() / 2);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "Couldn't save settings to the file! (" + output + ": File too large)\n");
    EXPECT_EQ(ReadAll(output), earlier);
    for (const auto& file : std::filesystem::directory_iterator(std::filesystem::path(output).parent_path())) {
        EXPECT_FALSE(file.path().filename().string().starts_with("kept.csv.")) << "left behind: " << file.path();
    }

    // A password file that others may read is not used.
    const std::string passwordFile = TempPath("password");
    WriteAll(passwordFile, "admin\n");
    ::chmod(passwordFile.c_str(), 0644);
    CliRun exposed = Run(With({"fetch", "--output", TempPath("x.csv"), "--password-file", passwordFile},
                              RouterArgs(sim, kTwoPortIp, kTwoPortModel)),
                         std::nullopt);
    EXPECT_EQ(exposed.exitCode, 1);
    EXPECT_NE(exposed.err.find("chmod 600"), std::string::npos) << exposed.err;
}

// `text` with field `field` of the line after `marker` (a section's first row: ";LIST" precedes the SIP
// row) replaced by `value`.
std::string WithRowField(std::string text, const std::string& marker, std::size_t field, const std::string& value) {
    std::size_t at = text.find("\r\n", text.find(marker + "\r\n")) + 2;
    for (std::size_t k = 0; k < field; ++k) at = text.find(',', at) + 1;
    return text.replace(at, text.find_first_of(",\r", at) - at, value);
}

// A hand-edited file means exactly what it says or nothing is sent; a value that holds a marker, fetched
// and applied back unedited, changes nothing; standard input and devices are taken as streams.
TEST_F(CliEndToEndTest, SettingsFilesMeanExactlyWhatTheySay) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string fetched = ReadAll(Fetched(sim, kOnePortIp));
    const std::string edited = TempPath("edited.csv");
    WriteAll(edited, WithRowField(fetched, ";LIST", 5, "abc"));
    sim.ClearCommandLog();
    CliRun refused = Run(With({"apply", "--input", edited, "--router", kOnePortIp}, Ports(sim)));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, edited + ":63: SIP \xC2\xB7 Port 1 \xC2\xB7 Expiry Time: \"abc\" is not one of 0\xE2\x80\x93" "9\n");
    EXPECT_TRUE(CommandsOf(sim, kOnePortIp).empty()) << "no router was logged in to";
    CliRun endless = Run(With({"apply", "--input", "/dev/zero", "--router", kOnePortIp}, Ports(sim)));
    EXPECT_EQ(endless.exitCode, 1);
    EXPECT_NE(endless.err.find("neither a regular file nor a pipe"), std::string::npos) << endless.err;

    // Port 1's password holds a marker; the router's own file, applied back, sends nothing.
    const std::string marked = TempPath("marked.csv");
    WriteAll(marked, WithRowField(ReadAll(Fetched(sim, kTwoPortIp)), ";LIST", 4, "x;LIST..5060"));
    ASSERT_EQ(Run(With({"apply", "--input", marked, "--router", kTwoPortIp}, Ports(sim))).exitCode, 0);
    const std::string own = Fetched(sim, kTwoPortIp);
    EXPECT_NE(ReadAll(own).find(",x;LIST..5060,"), std::string::npos);
    sim.ClearCommandLog();
    CliRun again = Run(With({"apply", "--input", own, "--router", kTwoPortIp}, Ports(sim)));
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "There are no changes to apply.\n");
    for (const std::string& command : CommandsOf(sim, kTwoPortIp)) {
        EXPECT_EQ(command.find(" set"), std::string::npos) << command;
    }
    EXPECT_EQ(Run(With({"diff", "router:" + std::string(kTwoPortIp), own}, Ports(sim))).exitCode, 0);

    // The same file through standard input, and a fetch into a device.
    const CliRun piped = RunCliProcess(
        "/bin/sh",
        {"-c", std::string(DEZADAV_CLI_PATH) + " apply --dry-run --input - --router " + kTwoPortIp + " --telnet-port " +
                   std::to_string(sim.TelnetPort()) + " --discovery-port " + std::to_string(sim.DiscoveryPort()) +
                   " < " + own},
        "admin");
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    const CliRun toDevice = Run(With({"fetch", "--output", "/dev/stdout", "--router", kTwoPortIp}, Ports(sim)));
    EXPECT_EQ(toDevice.exitCode, 0) << toDevice.err;
    EXPECT_EQ(toDevice.out, ReadAll(own));
}

// A partial JSON document applied to several routers changes the one field it names on each, and
// nothing else of what each router holds; applied again it changes nothing.
TEST_F(CliEndToEndTest, APartialDocumentChangesOnlyTheFieldItNamesOnEveryRouter) {
    RouterSimProcess sim({"--routers", "3"});
    ASSERT_TRUE(sim.IsRunning());
    const std::vector<std::string> ips = {"127.0.0.2", "127.0.0.3", "127.0.0.4"};
    const auto settings = [&](const std::string& ip) {
        const CliRun run = Run(With({"fetch", "--format", "json", "--show-secrets", "--output", "-", "--router", ip}, Ports(sim)));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    };
    std::map<std::string, QJsonObject> before;
    for (const std::string& ip : ips) before[ip] = settings(ip);
    const std::string change = TempPath("change.json");
    WriteAll(change, R"({"sip": {"registrar": "new.example.net"}})");
    // What the document would change, as diff sees it: the registrar alone.
    const CliRun preview = Run(With({"diff", "router:127.0.0.4", change}, Ports(sim)));
    EXPECT_EQ(preview.exitCode, 1);
    EXPECT_EQ(Lines(preview.out).size(), 1u) << preview.out;
    EXPECT_TRUE(preview.out.ends_with("\tnew.example.net\n")) << preview.out;
    std::vector<std::string> args = {"apply", "--input", change};
    for (const std::string& ip : ips) args.insert(args.end(), {"--router", ip});
    // The dry run's JSON object: per router the one field that changes, and the commands.
    std::vector<std::string> dry = args;
    dry.insert(dry.end(), {"--dry-run", "--json"});
    const CliRun planned = Run(With(dry, Ports(sim)));
    ASSERT_EQ(planned.exitCode, 0) << planned.err;
    const QJsonArray routers = QJsonDocument::fromJson(QByteArray::fromStdString(planned.out))["routers"].toArray();
    ASSERT_EQ(routers.size(), 3);
    for (const QJsonValue& router : routers) {
        const QJsonArray changes = router["changes"].toArray();
        ASSERT_EQ(changes.size(), 1) << router["router"].toString().toStdString();
        EXPECT_EQ(changes[0]["after"].toString(), "new.example.net");
        EXPECT_TRUE(router["commands"].toArray().contains("voip sip registrar new.example.net"));
    }
    // The apply's own JSON object reports what it changed and sent: what the dry run foretold.
    args.push_back("--json");
    const CliRun applied = Run(With(args, Ports(sim)));
    ASSERT_EQ(applied.exitCode, 0) << applied.err;
    const QJsonObject result = QJsonDocument::fromJson(QByteArray::fromStdString(applied.out)).object();
    EXPECT_FALSE(result["dryRun"].toBool(true));
    EXPECT_EQ(result["routers"].toArray(), routers);
    for (const std::string& ip : ips) {
        QJsonObject expected = before[ip];
        QJsonObject sip = expected["sip"].toObject();
        sip["registrar"] = "new.example.net";
        expected["sip"] = sip;
        EXPECT_EQ(settings(ip), expected) << ip;
    }
    const CliRun shown = Run(With({"show", "router:127.0.0.2"}, Ports(sim)));
    EXPECT_NE(shown.out.find("SIP \xC2\xB7 Registrar\tnew.example.net\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Port 1 \xC2\xB7 Password\t********\n"), std::string::npos) << shown.out;
    sim.ClearCommandLog();
    const CliRun again = Run(With(args, Ports(sim)));
    EXPECT_EQ(again.exitCode, 0) << again.err << again.out;
    for (const QJsonValue& router : QJsonDocument::fromJson(QByteArray::fromStdString(again.out))["routers"].toArray())
        EXPECT_TRUE(router["commands"].toArray().isEmpty() && router["changes"].toArray().isEmpty());
    for (const std::string& ip : ips) {
        for (const std::string& command : CommandsOf(sim, ip)) EXPECT_EQ(command.find(" set"), std::string::npos) << command;
    }
}

TEST_F(CliEndToEndTest, UnsupportedModelsAndControlBytesAreRefusedBeforeAnythingIsSent) {
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R5999X", "--discovery", "127.0.0.4:0"});
    ASSERT_TRUE(sim.IsRunning());
    CliRun unsupported = Run({"fetch", "--router", "127.0.0.4", "--telnet-port",
                              std::to_string(sim.TelnetPort()), "--discovery-port",
                              std::to_string(sim.DiscoveryPort()), "--output", TempPath("unsupported.csv")});
    EXPECT_EQ(unsupported.exitCode, 1);
    EXPECT_NE(unsupported.err.find("DZV-R5999X"), std::string::npos);
    EXPECT_TRUE(CommandsOf(sim, "127.0.0.4").empty());

    const std::string input = TempPath("control.csv");
    WriteAll(input, std::string("2,20\x01") + "2,,a@10.0.0.2,,,V\r\n\r\n;LIST\r\n");
    for (bool dryRun : {true, false}) {
        sim.ClearCommandLog();
        auto args = With({"apply", "--input", input}, RouterArgs(sim, kOnePortIp, kOnePortModel));
        if (dryRun) args.push_back("--dry-run");
        CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("control character"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(CommandsOf(sim, kOnePortIp).empty()) << "the file is refused before any login";
    }
}

TEST_F(CliEndToEndTest, PasswordComesFromTheEnvironmentThenTheFileAndNeverFromNowhere) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::vector<std::string> log = {"log", "--router", kOnePortIp, "--telnet-port",
                                          std::to_string(sim.TelnetPort())};
    const std::string file = TempPath("password");
    WriteAll(file, "admin\r\nnot this line\n");
    ::chmod(file.c_str(), 0600);

    EXPECT_EQ(Run(With(log, {"--password-file", file}), std::nullopt).exitCode, 0);
    // The environment wins over the file.
    CliRun envWins = Run(With(log, {"--password-file", file}), "other-pw");
    EXPECT_EQ(envWins.exitCode, 1);
    EXPECT_EQ(envWins.err, "Failed to login router! (" + std::string(kOnePortIp) + ":" +
                               std::to_string(sim.TelnetPort()) + ")\n");

    CliRun missingFile = Run(With(log, {"--password-file", file + ".missing"}), std::nullopt);
    EXPECT_EQ(missingFile.exitCode, 1);
    EXPECT_NE(missingFile.err.find("password file"), std::string::npos);

    // No environment, no file and no terminal to ask on.
    CliRun none = Run(log, std::nullopt);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("no password"), std::string::npos);
    EXPECT_TRUE(CommandsOf(sim, kOnePortIp).size() == 1u);  // only the one successful log fetch
}

TEST_F(CliEndToEndTest, TranscriptRecordsEveryCommandAndNoSecretAndNeverStopsTheExchange) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string transcript = TempPath("transcript.txt");
    const std::string saved = TempPath("saved.csv");
    const auto args = [&](std::vector<std::string> first) {
        return With(With(std::move(first), RouterArgs(sim, kTwoPortIp, kTwoPortModel)), {"--transcript", transcript});
    };
    ASSERT_EQ(Run(args({"fetch", "--output", saved})).exitCode, 0);
    struct stat info {};
    ASSERT_EQ(::stat(transcript.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::string text = testing::ReadAll(transcript);
    for (const FetchCommand& command : kFetchCommands) {
        EXPECT_NE(text.find("-> \"" + std::string(command.command) + "\\r\""), std::string::npos) << command.command;
    }

    // An apply that changes a SIP password, and a fetch that reads it back from the router.
    std::string file = testing::ReadAll(saved);
    const std::size_t old = file.find("s3cret-one");
    ASSERT_NE(old, std::string::npos);
    file.replace(old, std::string("s3cret-one").size(), "n3w-secret");
    const std::string edited = TempPath("edited.csv");
    testing::WriteAll(edited, file);
    // Standard output shows the password only when asked to: scripts keep what they print.
    const CliRun shown = Run(args({"apply", "--input", edited, "--dry-run", "--show-secrets"}));
    EXPECT_NE(shown.out.find("voip sip endpt1 pass n3w-secret\n"), std::string::npos) << shown.out;
    const CliRun dry = Run(args({"apply", "--input", edited, "--dry-run"}));
    const CliRun apply = Run(args({"apply", "--input", edited}));
    ASSERT_EQ(apply.exitCode, 0) << apply.err;
    for (const CliRun* run : {&dry, &apply}) {
        EXPECT_NE(run->out.find("voip sip endpt1 pass ********\n"), std::string::npos) << run->out;
        EXPECT_EQ(run->out.find("n3w-secret"), std::string::npos);
    }
    ASSERT_EQ(Run(args({"fetch", "--output", saved})).exitCode, 0);
    EXPECT_NE(testing::ReadAll(saved).find("n3w-secret"), std::string::npos);

    // A failed login ends its block with its message.
    EXPECT_EQ(Run(args({"fetch", "--output", saved}), "wrong-pw").exitCode, 1);
    text = testing::ReadAll(transcript);
    for (const char* secret : {"admin", "wrong-pw", "s3cret-one", "s3cret-two", "n3w-secret"}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    EXPECT_NE(text.find("voip sip endpt1 pass ********\\r"), std::string::npos);
    const std::string ending = "== failed: Failed to login router!\n\n";
    EXPECT_EQ(text.rfind(ending), text.size() - ending.size());

    // A transcript that cannot be written is reported and the fetch goes on.
    const CliRun unwritable = Run(With(With({"fetch", "--output", saved}, RouterArgs(sim, kTwoPortIp, kTwoPortModel)),
                                       {"--transcript", TempPath("no_dir") + "/t.txt"}));
    EXPECT_EQ(unwritable.exitCode, 0);
    EXPECT_NE(unwritable.err.find("transcript"), std::string::npos);
}

TEST_F(CliEndToEndTest, LogPrintsEveryRecordWithItsSixColumns) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    ASSERT_EQ(sim.Control("addcall 127.0.0.2 04-01-2024 12:34:56 77 IN 192.168.7.7 5060").rfind("OK", 0), 0u);
    CliRun run = Run({"log", "--router", kTwoPortIp, "--telnet-port", std::to_string(sim.TelnetPort())});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "No.1\t04-01-2024\t12:34:56\t77\tIN\t192.168.7.7 5060");
    for (size_t i = 0; i < lines.size(); ++i) {
        auto fields = Split(lines[i], '\t');
        ASSERT_EQ(fields.size(), 6u) << lines[i];
        EXPECT_EQ(fields[0], "No." + std::to_string(i + 1));
        EXPECT_NE(fields[1], "00-00-");
    }
    EXPECT_EQ(CommandsOf(sim, kTwoPortIp), std::vector<std::string>{"voip sip calllog"});

    // The same as one JSON object, the router's date and time in ISO 8601.
    const CliRun json = Run({"log", "--json", "--router", kTwoPortIp, "--telnet-port", std::to_string(sim.TelnetPort())});
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json.out));
    EXPECT_EQ(document["router"], kTwoPortIp);
    const QJsonArray calls = document["calls"].toArray();
    EXPECT_EQ(calls.size(), static_cast<qsizetype>(lines.size()));
    EXPECT_EQ(calls.first().toObject(), (QJsonObject{{"index", "No.1"}, {"time", "2024-04-01T12:34:56"}, {"duration", 77},
                                                     {"direction", "IN"}, {"address", "192.168.7.7 5060"}}));
}

TEST_F(CliEndToEndTest, DryRunPrintsTheCommandsTheApplySendsAndSendsNone) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    for (auto [ip, model] : {std::pair{kTwoPortIp, kTwoPortModel}, std::pair{kOnePortIp, kOnePortModel}}) {
        const auto routerArgs = RouterArgs(sim, ip, model);
        const std::string fetched = TempPath(std::string("apply_") + ip + ".csv");
        ASSERT_EQ(Run(With({"fetch", "--output", fetched}, routerArgs)).exitCode, 0);

        // Only the dial-plan section, with entry 2 edited and entry 3 cleared, and a new payload type.
        std::string text = ReadAll(fetched);
        std::string edited = text.substr(0, text.find(";LIST") + 7);
        edited.replace(edited.find("\r\n2,102,"), 8, "\r\n2,202,");
        edited.replace(edited.find("\r\n3,103,"), 8, "\r\n3,,");
        const std::string input = TempPath(std::string("edited_") + ip + ".csv");
        WriteAll(input, edited + "5060,sip.provider.example.net,1,x,y,3,0,z,w,3\r\n\r\n;SIP\r\n");

        sim.ClearCommandLog();
        CliRun dry = Run(With({"apply", "--input", input, "--dry-run", "--show-secrets"}, routerArgs));
        ASSERT_EQ(dry.exitCode, 0) << dry.err;
        auto printed = Lines(dry.out);
        ASSERT_FALSE(printed.empty());
        // The dry run ends with its own line, which says how many commands stayed unsent.
        EXPECT_EQ(printed.back(), "Dry run: " + std::to_string(printed.size() - 1) + " commands not sent.");
        printed.pop_back();
        EXPECT_TRUE(std::find(printed.begin(), printed.end(), "voip dial_plan del 3") != printed.end());
        EXPECT_TRUE(std::find(printed.begin(), printed.end(), "voip sip endpt1 name x") != printed.end());
        EXPECT_TRUE(std::find(printed.begin(), printed.end(), kApplyOk) == printed.end());
        for (const std::string& command : CommandsOf(sim, ip)) {
            EXPECT_EQ(command.find("voip dial_plan set"), std::string::npos) << command;
            EXPECT_EQ(command.find("voip sip endpt1 name"), std::string::npos) << command;
        }

        // The real apply sends exactly what the dry run printed, prints each, then the success text.
        sim.ClearCommandLog();
        CliRun real = Run(With({"apply", "--input", input, "--show-secrets"}, routerArgs));
        ASSERT_EQ(real.exitCode, 0) << real.err;
        auto sent = Lines(real.out);
        ASSERT_EQ(sent.size(), printed.size() + 1);
        EXPECT_EQ(sent.back(), kApplyOk);
        sent.pop_back();
        EXPECT_EQ(sent, printed);
        auto received = CommandsOf(sim, ip);
        ASSERT_GE(received.size(), printed.size());
        EXPECT_EQ(
            std::vector<std::string>(received.end() - static_cast<long>(printed.size()), received.end()),
            printed);
        const bool twoPort = std::string(ip) == kTwoPortIp;
        const std::string set2 = twoPort ? "voip dial_plan set 2 202 sales 192.168.1.22 1"
                                         : "voip dial_plan set 2 202 sales 192.168.1.22 1 2 5551002";
        EXPECT_TRUE(std::find(sent.begin(), sent.end(), set2) != sent.end()) << ip;
    }
}

TEST_F(CliEndToEndTest, DiffPrintsOneLinePerDifferingFieldAndExitsByTheOutcome) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string saved = Fetched(sim, kTwoPortIp);
    const std::string edited = Fetched(sim, kTwoPortIp, "5061");
    const std::string notes = TempPath("notes.csv");
    WriteAll(notes, "no settings here\n");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string err;  // how stderr starts
    };
    const Case cases[] = {
        {{saved, saved}, 0, "", ""},
        {{saved, edited}, 1, "SIP\tSIP Port\t5060\t5061\n", ""},
        {{saved, "router:127.0.0.2"}, 0, "", ""},
        {{edited, "router:127.0.0.2"}, 1, "SIP\tSIP Port\t5061\t5060\n", ""},
        {{saved}, 2, "", "dezadav-cli: 'diff' needs two settings to compare"},
        {{saved, TempPath("missing.csv")}, 2, "", "dezadav-cli: cannot read "},
        {{notes, saved}, 2, "", "dezadav-cli: cannot read " + notes + ": it holds no settings section"},
        {{"router:127.0.0.9", saved, "--model", kTwoPortModel}, 2, "", "Failed to connect to router!"},
    };
    for (const Case& c : cases) {
        const CliRun run = Run(With(With({"diff"}, c.args), Ports(sim)));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.front() << "\n" << run.err;
        EXPECT_EQ(run.out, c.out) << c.args.front();
        EXPECT_TRUE(run.err.starts_with(c.err)) << run.err;
    }

    // Each side is read in its own form, and the fields compared are those of B's form: a one-port
    // router keeps loop-through numbers but no second voice port, a two-port one the other way round.
    const std::string onePort = Fetched(sim, kOnePortIp);
    const CliRun toOnePort = Run({"diff", saved, onePort});
    EXPECT_NE(toOnePort.out.find("Dial Plan 1\tLoop Through\t(empty)\tISDN\n"), std::string::npos);
    EXPECT_EQ(toOnePort.out.find("Port 2"), std::string::npos);
    const CliRun toTwoPort = Run({"diff", onePort, saved});
    EXPECT_EQ(toTwoPort.out.find("Loop Through"), std::string::npos);
    EXPECT_NE(toTwoPort.out.find("Port 2\tName\tp1\t4930123402\n"), std::string::npos);

    // A record of --router's history is a side too: before the last apply, and the newest one.
    const QTemporaryDir history;
    const std::vector<std::string> kept = With({"--router", kTwoPortIp, "--history", history.path().toStdString()}, Ports(sim));
    ASSERT_EQ(Run(With({"apply", "--input", edited}, kept)).exitCode, 0);
    const CliRun listed = Run({"history", "--json", "--router", kTwoPortIp, "--history", history.path().toStdString(),
                               "--discovery-port", std::to_string(sim.DiscoveryPort())});
    const QString newest = QJsonDocument::fromJson(QByteArray::fromStdString(listed.out))["records"][0]["id"].toString();
    ASSERT_EQ(newest.size(), 40) << listed.out;
    const Case records[] = {
        {{"record:before-last-apply", "router:127.0.0.2"}, 1, "SIP\tSIP Port\t5060\t5061\n", ""},
        {{"record:" + newest.left(7).toStdString(), "router:127.0.0.2"}, 0, "", ""},
        {{"record:0000000", saved}, 2, "", "dezadav-cli: cannot read record:0000000: "},
    };
    for (const Case& c : records) {
        const CliRun run = Run(With(With({"diff"}, c.args), kept));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.front() << "\n" << run.err;
        EXPECT_EQ(run.out, c.out) << c.args.front();
        EXPECT_TRUE(run.err.starts_with(c.err)) << run.err;
    }

    // The same as one JSON document.
    const QJsonObject difference{{"area", "SIP"}, {"field", "SIP Port"}, {"a", "5060"}, {"b", "5061"}};
    // clang-format off
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(Run({"diff", "--json", saved, edited}).out)).object(),
              (QJsonObject{{"a", QString::fromStdString(saved)}, {"b", QString::fromStdString(edited)},
                           {"twoPort", true}, {"equal", false}, {"differences", QJsonArray{difference}}}));
    // clang-format on
}

TEST_F(CliEndToEndTest, OutputThatCannotBeWrittenFailsTheRunWithItsReason) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const std::string saved = Fetched(sim, kTwoPortIp);
    const std::string discoveryPort = std::to_string(sim.DiscoveryPort());
    const std::vector<std::string> commands[] = {
        With({"fetch", "--router", kTwoPortIp, "--output", "-"}, Ports(sim)),
        {"discover", "--broadcast", sim.DiscoveryAddress(), "--discovery-port", discoveryPort},
        {"history", "--json", "--router", kTwoPortIp, "--discovery-port", discoveryPort},
        With({"diff", "--json", saved, "router:127.0.0.2"}, Ports(sim)),
    };
    for (const auto& command : commands) {
        const CliRun run = Run(command, "admin", std::nullopt, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.exitCode, 1) << command.front();
        EXPECT_EQ(run.err, "dezadav-cli: standard output: No space left on device\n") << command.front();
    }
}

TEST_F(CliEndToEndTest, ASignalStopsAnApplyAfterTheCommandBeingSentAndTheHistoryKeepsWhatTheRouterHolds) {
    RouterSimProcess sim({"--fault", std::string(kOnePortIp) + ":slow-echo=4"});
    ASSERT_TRUE(sim.IsRunning());
    // A dial plan of one entry: every other entry of the router is deleted, one command each.
    const std::string input = TempPath("one_entry.csv");
    WriteAll(input, "2,222,,a@10.0.0.2,PSTN,,V\r\n\r\n;LIST\r\n");
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const QTemporaryDir history;
        const auto kept = With({"--router", kOnePortIp, "--history", history.path().toStdString()}, Ports(sim));
        sim.ClearCommandLog();
        QProcess process;
        PrepareCliProcess(process, history.path(), "admin");
        QStringList arguments{"apply", "--input", QString::fromStdString(input)};
        for (const std::string& arg : kept) arguments << QString::fromStdString(arg);
        process.start(DEZADAV_CLI_PATH, arguments);
        // Stopped once three commands have been printed (to a pipe here).
        std::string printed;
        for (int i = 0; i < 300 && std::count(printed.begin(), printed.end(), '\n') < 3; ++i) {
            process.waitForReadyRead(100);
            printed += process.readAllStandardOutput().toStdString();
        }
        ASSERT_GE(std::count(printed.begin(), printed.end(), '\n'), 3) << printed;
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        printed += process.readAllStandardOutput().toStdString();
        const std::string err = process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, status) << err;
        // What was printed is what the router received, apart from the fetches around the apply.
        std::vector<std::string> applied = CommandsOf(sim, kOnePortIp);
        std::erase_if(applied, [](const std::string& command) {
            return std::any_of(kFetchCommands.begin(), kFetchCommands.end(),
                               [&](const FetchCommand& f) { return f.command == command; });
        });
        const std::vector<std::string> lines = Lines(printed);
        EXPECT_EQ(lines, applied);
        EXPECT_TRUE(err.starts_with("Interrupted after " + std::to_string(lines.size()) + " of ")) << err;

        // The newest record is what the router holds now: a fresh fetch finds nothing new to record.
        const auto records = [&] {
            const CliRun run = Run({"history", "--json", "--router", kOnePortIp, "--history",
                                    history.path().toStdString(), "--discovery-port", std::to_string(sim.DiscoveryPort())});
            return QJsonDocument::fromJson(QByteArray::fromStdString(run.out))["records"].toArray();
        };
        ASSERT_EQ(records().size(), 3);
        EXPECT_EQ(records()[1].toObject()["cause"], "before apply");
        ASSERT_EQ(Run(With({"fetch", "--output", TempPath("after_signal.csv")}, kept)).exitCode, 0);
        EXPECT_EQ(records().size(), 3);
    }
}

}  // namespace
}  // namespace dezadav::testing
