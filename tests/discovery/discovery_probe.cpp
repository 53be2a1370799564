// A tiny discovery client for tests that run it inside a network namespace: one search, then every
// listed router on its own line.
//
//   discovery_probe [--target ADDR] [--port N] [--wait-ms N]
//
// Output lines: "TARGETS <addr>..." (where the request goes), "SENT <n>" (sends that went out),
// "MESSAGE <text>" (each message shown), "ROW <model>\t<ip>\t<mask>\t<mac>\t<version>" per router
// in answer order, and "DONE". Exit status 2 on bad options, 1 when the socket cannot be created.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "discovery/router_search.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace {

class PrintingPort : public dezadav::MessagePort {
public:
    void ShowMessage(const std::string&, const std::string& text, dezadav::MessageIcon) override {
        std::printf("MESSAGE %s\n", text.c_str());
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::optional<std::string> target;
    long port = dezadav::kDiscoveryPort;
    long waitMs = 1500;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--target") {
            target = value;
        } else if (option == "--port") {
            port = std::strtol(value, nullptr, 10);
        } else if (option == "--wait-ms") {
            waitMs = std::strtol(value, nullptr, 10);
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (argc % 2 == 0 || port <= 0 || port > 65535 || waitMs < 0 || waitMs > 60000) {
        std::fprintf(stderr, "usage: discovery_probe [--target ADDR] [--port N] [--wait-ms N]\n");
        return 2;
    }

    dezadav::LanguageTable table;
    PrintingPort messages;
    dezadav::RouterSearch search(table, messages);
    search.Socket().SetTarget(target);
    search.Socket().SetPort(static_cast<std::uint16_t>(port));
    if (!search.Open()) return 1;

    std::printf("TARGETS");
    for (const std::string& address : search.Socket().Targets()) std::printf(" %s", address.c_str());
    std::printf("\nSENT %d\n", search.Start());
    QTimer::singleShot(static_cast<int>(waitMs), &app, &QCoreApplication::quit);
    app.exec();
    search.Close();
    for (const dezadav::RouterInfo& row : search.Rows()) {
        std::printf("ROW %s\t%s\t%s\t%s\t%s\n", row.modelName.c_str(), row.ipAddress.c_str(),
                    row.subnetMask.c_str(), row.macAddress.c_str(), row.firmwareVersion.c_str());
    }
    std::printf("DONE\n");
    return 0;
}
