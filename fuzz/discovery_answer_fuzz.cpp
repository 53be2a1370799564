// Feeds arbitrary datagrams to the discovery answer reader and the router list, and arbitrary
// property texts to the property lookup, checking the limits every row must keep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "discovery/discovery_datagram.h"
#include "discovery/property_lookup.h"
#include "discovery/router_list.h"
#include "lang/language_table.h"
#include "lang/message_port.h"

namespace {

class CountingPort : public dezadav::MessagePort {
public:
    void ShowMessage(const std::string&, const std::string&, dezadav::MessageIcon) override { ++shown; }
    std::size_t shown = 0;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckRow(const dezadav::RouterInfo& row) {
    Require(row.modelName.size() <= dezadav::kModelNameCapacity - 1);
    Require(row.firmwareVersion.size() <= dezadav::kVersionCapacity - 1);
    Require(row.macAddress.size() == 17);
    Require(row.ipAddress.size() >= 7 && row.ipAddress.size() <= 15);
    Require(row.subnetMask.size() >= 7 && row.subnetMask.size() <= 15);
    Require(row.modelName.find('\0') == std::string::npos);
    Require(row.firmwareVersion.find('\0') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const dezadav::LanguageTable table;

    // The input as one datagram, then split into several answers of one search at 0xFF 0xFE marks.
    CountingPort port;
    dezadav::RouterList list;
    const bool listed = list.HandleAnswer(bytes, table, port) == dezadav::AnswerOutcome::Listed;
    Require(listed == (size >= dezadav::kMinDiscoveryAnswerSize));
    Require(port.shown <= 2);
    std::size_t start = 0;
    std::size_t answers = 1;
    while (start < size && answers < 64) {
        std::size_t mark = bytes.find("\xFF\xFE", start);
        if (mark == std::string_view::npos) mark = size;
        list.HandleAnswer(bytes.substr(start, mark - start), table, port);
        ++answers;
        start = mark + 2;
    }
    Require(list.Size() <= answers && list.Size() <= dezadav::RouterList::kMaxRows);
    Require(port.shown <= 2 * list.Size());
    for (const dezadav::RouterInfo& row : list.Rows()) CheckRow(row);
    for (std::size_t i = 0; i < list.Size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) Require(list.Rows()[i].macAddress != list.Rows()[j].macAddress);
    }

    // The input as a property text, with a key and capacity taken from its first bytes.
    if (size >= 2) {
        const std::size_t capacity = 2 + data[0] % 40;
        const std::size_t keyLength = data[1] % 8;
        const std::string_view rest = bytes.substr(2);
        const std::string_view key = rest.substr(0, keyLength);
        const dezadav::PropertyValue value = dezadav::LookupProperty(rest.substr(key.size()), key, capacity);
        Require(value.value.size() <= capacity - 1);
        Require(value.found || (value.value.empty() && !value.outOfRange));
        Require(value.outOfRange == (value.found && value.value.size() == capacity - 1));
    }
    return 0;
}
