// The emulator's discovery responder over loopback UDP: one answer per router, and the answer faults.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>

#include "support/routersim_process.h"

namespace dezadav::testing {
namespace {

const std::string kRequest("\xDD\x80\x00\x0CZEZIDEZ\x00", 12);

// Sends one datagram to the emulator's discovery address and collects every answer until none has
// come for waitMs.
std::vector<std::string> Ask(const RouterSimProcess& sim, const std::string& request, int waitMs = 500) {
    std::vector<std::string> answers;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(sim.DiscoveryPort());
    inet_pton(AF_INET, sim.DiscoveryAddress().c_str(), &to.sin_addr);
    sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    for (int guard = 0; guard < 100; ++guard) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, waitMs) <= 0) break;
        char buffer[2000];
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0) break;
        answers.emplace_back(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return answers;
}

std::string Dotted(const std::string& a, size_t at) {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, a.data() + at, text, sizeof text);
    return text;
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

}  // namespace
}  // namespace dezadav::testing
