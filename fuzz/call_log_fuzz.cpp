// Feeds arbitrary bytes to the call-log readers: the full parse, one merge pass, the ten refresh
// passes or the settings-file section reader, as the first byte picks, after a second byte's worth
// of full parses from the same text; then checks the table's promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/call_log_table.h"

namespace {

void CheckTable(const dezadav::CallLogTable& table, bool fromFile) {
    const auto& rows = table.Rows();
    if (rows.size() < static_cast<std::size_t>(dezadav::CallLogTable::kPlaceholderRows)) std::abort();
    if (table.RecordCount() < 0 || static_cast<std::size_t>(table.RecordCount()) > rows.size()) std::abort();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].number != "No." + std::to_string(i + 1)) std::abort();
        if (static_cast<int>(i) >= table.RecordCount()) continue;
        // Words never hold the bytes that end or are removed from them; only an incoming call's
        // address joins two words with one space.
        for (const std::string* w : {&rows[i].date, &rows[i].time, &rows[i].duration, &rows[i].direction}) {
            if (w->find_first_of(" \n\r\t") != std::string::npos) std::abort();
            if (fromFile && w->find(',') != std::string::npos) std::abort();
        }
        if (rows[i].address.find_first_of("\n\r\t") != std::string::npos) std::abort();
    }
    std::size_t saved = 0;
    for (int i = 0; i < table.RecordCount(); ++i) saved += table.CallLogRowText(i).size();
    if (table.RecordRowsText().size() != saved) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int mode = data[0] & 3;
    const int number = static_cast<int8_t>(data[1]);
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    dezadav::CallLogTable table;
    for (int i = 0; i < ((data[0] >> 2) & 3); ++i) table.ParseCallLog(text);
    CheckTable(table, false);
    const int before = table.RecordCount();
    switch (mode) {
        case 0:
            if (table.ParseCallLog(text) == text.empty()) std::abort();
            if (table.RecordCount() < before) std::abort();
            break;
        case 1:
            if (table.MergeCallLogRecord(text, number) == text.empty()) std::abort();
            if (table.RecordCount() < before) std::abort();
            break;
        case 2:
            table.MergeCallLog(text);
            break;
        default:
            if (table.LoadCallLogSection(text, 0, text.size()) == text.empty()) std::abort();
            break;
    }
    CheckTable(table, mode == 3);
    table.ClearCallLog();
    if (table != dezadav::CallLogTable()) std::abort();
    return 0;
}
