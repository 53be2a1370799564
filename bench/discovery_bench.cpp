// Discovery of a whole site at once: the router emulator answers one request as 256 routers, every
// answer in one burst, as the routers of one LAN do. Prints how many routers one search lists, the
// receive buffer the system granted and the answers it dropped, per run; once with answers of the
// usual size, once with oversized ones, which cost the receiving system per answer about what an
// answer from a network card does.
//
//   discovery_bench [runs] [busy-ms]   (default 5 runs; busy-ms: how long the searching thread is held
//                                       busy right after the request, as a window drawing would hold
//                                       it, so that the whole burst waits in the socket; default 200)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "discovery/router_search.h"
#include "lang/language_table.h"
#include "support/routersim_process.h"

namespace {

using namespace dezadav;

constexpr int kRouters = CDiscoverySocket::kBurstAnswers;
constexpr int kSearchMs = 3000;

class CountingPort : public MessagePort {
public:
    void ShowMessage(const std::string&, const std::string& text, MessageIcon) override {
        ++shown;
        last = text;
    }
    int shown = 0;
    std::string last;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int busyMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 200;
    const LanguageTable table;
    int worst = kRouters;
    struct Answers {
        const char* name;
        std::vector<std::string> args;
    };
    const Answers kinds[] = {{"answers of the usual size", {}},
                             {"oversized answers (network-card cost)", {"--fault", "discovery=oversized"}}};
    for (const Answers& kind : kinds) {
        std::vector<std::string> args = {"--routers", std::to_string(kRouters)};
        args.insert(args.end(), kind.args.begin(), kind.args.end());
        testing::RouterSimProcess sim(args);
        if (!sim.IsRunning()) {
            std::fprintf(stderr, "the router emulator did not start\n");
            return 1;
        }
        std::printf("%s, searcher busy %d ms after the request:\n", kind.name, busyMs);
        for (int run = 1; run <= runs; ++run) {
            CountingPort port;
            RouterSearch search(table, port);
            search.Socket().SetTarget(sim.DiscoveryAddress());
            search.Socket().SetPort(sim.DiscoveryPort());
            if (!search.Open()) return 1;
            const auto droppedBefore = search.Socket().DroppedDatagrams().value_or(0);
            QElapsedTimer clock;
            clock.start();
            search.Start();
            if (busyMs > 0) QThread::msleep(static_cast<unsigned long>(busyMs));
            qint64 allMs = -1;
            while (clock.elapsed() < kSearchMs) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
                if (allMs < 0 && search.Rows().size() >= static_cast<std::size_t>(kRouters))
                    allMs = clock.elapsed();
                if (allMs >= 0 && clock.elapsed() > allMs + 200) break;
            }
            std::set<std::string> addresses;
            for (const RouterInfo& row : search.Rows()) addresses.insert(row.ipAddress);
            const auto dropped = search.Socket().DroppedDatagrams().value_or(0) - droppedBefore;
            worst = std::min(worst, static_cast<int>(addresses.size()));
            std::printf(
                "run %d: %zu of %d routers found (%zu rows) in %lld ms; receive buffer %d bytes; %u answers "
                "dropped; lost-answers message %s\n",
                run, addresses.size(), kRouters, search.Rows().size(), static_cast<long long>(allMs),
                search.Socket().ReceiveBufferBytes(), dropped, port.shown > 0 ? "shown" : "not shown");
        }
    }
    std::printf("discovery of %d routers answering in one burst: worst run found %d (goal %d)\n", kRouters,
                worst, kRouters);
    return worst == kRouters ? 0 : 1;
}
