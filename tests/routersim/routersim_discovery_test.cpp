// The emulator's discovery responder over loopback UDP: one answer per router on the main responder,
// only its own answer on a router's own address, and the answer faults in both places.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>

#include "support/routersim_process.h"

namespace dezadav::testing {
namespace {

const std::string kRequest("\xDD\x80\x00\x0CZEZIDEZ\x00", 12);

struct Answer {
    std::string bytes;
    std::string from;  // sender address:port
};

// Sends one datagram to host:port and collects every answer until none has come for waitMs.
std::vector<Answer> AskAt(const std::string& host, uint16_t port, const std::string& request,
                          int waitMs = 500) {
    std::vector<Answer> answers;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &to.sin_addr);
    sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    for (int guard = 0; guard < 300; ++guard) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, waitMs) <= 0) break;
        char buffer[2000];
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) break;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        answers.push_back({std::string(buffer, static_cast<size_t>(n)),
                           std::string(text) + ":" + std::to_string(ntohs(from.sin_port))});
    }
    close(fd);
    return answers;
}

// The answers' bytes for a request sent to the emulator's main responder.
std::vector<std::string> Ask(const RouterSimProcess& sim, const std::string& request, int waitMs = 500) {
    std::vector<std::string> bytes;
    for (auto& a : AskAt(sim.DiscoveryAddress(), sim.DiscoveryPort(), request, waitMs)) {
        bytes.push_back(std::move(a.bytes));
    }
    return bytes;
}

std::string Dotted(const std::string& a, size_t at) {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, a.data() + at, text, sizeof text);
    return text;
}

std::string Model(const std::string& answer) {
    if (answer.size() < 68) return {};
    std::string properties = answer.substr(66, answer.size() - 67);
    auto start = properties.find("[ModelName=");
    if (start == std::string::npos) return {};
    start += 11;
    return properties.substr(start, properties.find(']', start) - start);
}

// Addresses (from bytes 4-7) of the answers, in arrival order.
std::vector<std::string> Senders(const std::vector<Answer>& answers) {
    std::vector<std::string> ips;
    for (const auto& a : answers) ips.push_back(a.bytes.size() >= 8 ? Dotted(a.bytes, 4) : "short");
    return ips;
}

TEST(RouterSimDiscoveryTest, EveryRouterAnswersOnceWithItsAddressAndModel) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    EXPECT_EQ(sim.DiscoveryAddress(), "127.0.0.1");
    auto answers = Ask(sim, kRequest);
    ASSERT_EQ(answers.size(), 2u);
    std::set<std::string> macs;
    for (const auto& a : answers) {
        ASSERT_GE(a.size(), 68u);
        std::string ip = Dotted(a, 4);
        std::string properties = a.substr(66, a.size() - 67);
        if (ip == "127.0.0.2") {
            EXPECT_EQ(properties.rfind("[ModelName=DZV-R5730K][Version=", 0), 0u) << properties;
        } else {
            EXPECT_EQ(ip, "127.0.0.3");
            EXPECT_EQ(properties.rfind("[ModelName=DZV-R5830K][Version=", 0), 0u) << properties;
        }
        EXPECT_EQ(properties.back(), ']');
        macs.insert(a.substr(12, 6));
    }
    EXPECT_EQ(macs.size(), 2u);
    // Anything but the exact request goes unanswered.
    EXPECT_TRUE(Ask(sim, kRequest.substr(0, 11), 200).empty());
    EXPECT_TRUE(Ask(sim, kRequest + "x", 200).empty());
    std::string other = kRequest;
    other[4] = 'X';
    EXPECT_TRUE(Ask(sim, other, 200).empty());
}

TEST(RouterSimDiscoveryTest, TwoHundredFiftySixRoutersAnswerEachForItself) {
    RouterSimProcess sim({"--routers", "256"});
    ASSERT_TRUE(sim.IsRunning());
    std::set<std::string> ips, macs;
    for (const auto& a : Ask(sim, kRequest)) {
        ips.insert(Dotted(a, 4));
        macs.insert(a.substr(12, 6));
    }
    EXPECT_EQ(ips.size(), 256u);
    EXPECT_EQ(macs.size(), 256u);
    EXPECT_TRUE(ips.contains("127.0.1.1"));
    EXPECT_EQ(Senders(AskAt("127.0.1.1", sim.DiscoveryPort(), kRequest)),
              std::vector<std::string>{"127.0.1.1"});
}

TEST(RouterSimDiscoveryTest, AnswerFaultsShortOversizedRepeatedSilent) {
    RouterSimProcess sim({"--router", "127.0.0.4,DZV-R5430K", "--router", "127.0.0.5,DZV-R5830K", "--fault",
                          "127.0.0.2:discovery=short", "--fault", "127.0.0.3:discovery=oversized", "--fault",
                          "127.0.0.4:discovery=repeated", "--fault", "127.0.0.5:discovery=silent"});
    ASSERT_TRUE(sim.IsRunning());
    auto answers = Ask(sim, kRequest);
    ASSERT_EQ(answers.size(), 5u);  // short, oversized, three repeats, nothing from the silent one
    EXPECT_LT(answers[0].size(), 68u);
    EXPECT_GT(answers[1].size(), 1000u);
    EXPECT_EQ(Dotted(answers[1], 4), "127.0.0.3");
    EXPECT_EQ(answers[2], answers[3]);
    EXPECT_EQ(answers[3], answers[4]);
    EXPECT_EQ(Dotted(answers[2], 4), "127.0.0.4");
}

TEST(RouterSimDiscoveryTest, ARouterAddressAnswersWithThatRouterOnly) {
    RouterSimProcess sim;
    ASSERT_TRUE(sim.IsRunning());
    const uint16_t port = sim.DiscoveryPort();
    const std::string port_text = ":" + std::to_string(port);

    auto onePort = AskAt("127.0.0.3", port, kRequest);
    ASSERT_EQ(onePort.size(), 1u);
    EXPECT_EQ(Dotted(onePort[0].bytes, 4), "127.0.0.3");
    EXPECT_EQ(Model(onePort[0].bytes), "DZV-R5830K");
    EXPECT_EQ(onePort[0].from, "127.0.0.3" + port_text);  // from the router's own address

    auto twoPort = AskAt("127.0.0.2", port, kRequest);
    ASSERT_EQ(twoPort.size(), 1u);
    EXPECT_EQ(Dotted(twoPort[0].bytes, 4), "127.0.0.2");
    EXPECT_EQ(Model(twoPort[0].bytes), "DZV-R5730K");
    EXPECT_EQ(twoPort[0].from, "127.0.0.2" + port_text);

    // The answer on a router's address is the very datagram that router sends on the main responder,
    // which still answers with every router.
    auto all = AskAt(sim.DiscoveryAddress(), port, kRequest);
    EXPECT_EQ(Senders(all), (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].bytes, twoPort[0].bytes);
    EXPECT_EQ(all[1].bytes, onePort[0].bytes);

    // Only the exact request is answered there too, and no address without a router answers.
    EXPECT_TRUE(AskAt("127.0.0.3", port, kRequest.substr(0, 11), 200).empty());
    EXPECT_TRUE(AskAt("127.0.0.3", port, kRequest + "x", 200).empty());
    EXPECT_TRUE(AskAt("127.0.0.9", port, kRequest, 200).empty());
}

TEST(RouterSimDiscoveryTest, ARouterAddressShowsThatRoutersFaultsOnly) {
    RouterSimProcess sim(
        {"--fault", "127.0.0.2:discovery=repeated", "--fault", "127.0.0.3:discovery=silent"});
    ASSERT_TRUE(sim.IsRunning());
    const uint16_t port = sim.DiscoveryPort();
    EXPECT_TRUE(AskAt("127.0.0.3", port, kRequest, 300).empty());
    EXPECT_EQ(Senders(AskAt("127.0.0.2", port, kRequest)),
              (std::vector<std::string>{"127.0.0.2", "127.0.0.2", "127.0.0.2"}));

    // Faults switched while running apply on the router's own address at once.
    ASSERT_EQ(sim.Control("fault 127.0.0.3:discovery=short").rfind("OK", 0), 0u);
    ASSERT_EQ(sim.Control("clearfaults 127.0.0.2").rfind("OK", 0), 0u);
    auto shortAnswer = AskAt("127.0.0.3", port, kRequest);
    ASSERT_EQ(shortAnswer.size(), 1u);
    EXPECT_EQ(shortAnswer[0].bytes.size(), 40u);
    EXPECT_EQ(Senders(AskAt("127.0.0.2", port, kRequest)), std::vector<std::string>{"127.0.0.2"});
    ASSERT_EQ(sim.Control("fault 127.0.0.3:discovery=normal").rfind("OK", 0), 0u);
    auto normal = AskAt("127.0.0.3", port, kRequest);
    ASSERT_EQ(normal.size(), 1u);
    EXPECT_EQ(Model(normal[0].bytes), "DZV-R5830K");
}

TEST(RouterSimDiscoveryTest, MainResponderOnARouterAddressAnswersWithEveryRouter) {
    // The later --discovery wins over the fixture's own.
    RouterSimProcess sim({"--discovery", "127.0.0.2:0"});
    ASSERT_TRUE(sim.IsRunning());
    EXPECT_EQ(sim.DiscoveryAddress(), "127.0.0.2");
    EXPECT_EQ(Senders(AskAt("127.0.0.2", sim.DiscoveryPort(), kRequest)),
              (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));
    EXPECT_EQ(Senders(AskAt("127.0.0.3", sim.DiscoveryPort(), kRequest)),
              std::vector<std::string>{"127.0.0.3"});
}

// Runs the emulator with the given arguments until it ends (at most 10 s); its exit status and
// standard error. Exit status -1 when it was still running and had to be stopped.
std::pair<int, std::string> RunToEnd(std::vector<std::string> args) {
    args.insert(args.begin(), DEZADAV_ROUTERSIM_PATH);
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) return {-2, {}};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(errPipe[1], STDERR_FILENO);
        int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(errPipe[1]);
    std::string err;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{errPipe[0], POLLIN, 0};
        if (poll(&pfd, 1, 100) < 0) break;
        if (pfd.revents & (POLLIN | POLLHUP)) {
            char buffer[1024];
            ssize_t n = read(errPipe[0], buffer, sizeof buffer);
            if (n <= 0) break;  // the emulator has ended
            err.append(buffer, static_cast<size_t>(n));
        }
    }
    close(errPipe[0]);
    int status = 0;
    for (int i = 0; i < 50 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return {-1, err};
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

TEST(RouterSimDiscoveryTest, AFixedPortTakenOnARouterAddressStopsTheStart) {
    // Hold a port on the one-port router's address, then ask for that port by name.
    int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.3", &at.sin_addr);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    socklen_t len = sizeof at;
    getsockname(holder, reinterpret_cast<sockaddr*>(&at), &len);
    const std::string port = std::to_string(ntohs(at.sin_port));

    auto [status, err] = RunToEnd({"--telnet-port", "0", "--discovery", "127.0.0.1:" + port});
    close(holder);
    EXPECT_EQ(status, 1) << err;
    EXPECT_NE(err.find("127.0.0.3:" + port), std::string::npos) << err;
}

}  // namespace
}  // namespace dezadav::testing
