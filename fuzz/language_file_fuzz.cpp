// Feeds arbitrary bytes to the language-file reader, then looks up keys: some taken from the input
// itself, some fixed, and some odd ones, checking the lookup's promises on every result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"

namespace {

class CountingPort : public dezadav::MessagePort {
public:
    void ShowMessage(const std::string& caption, const std::string& text, dezadav::MessageIcon) override {
        // Whatever the file says, a message never shows the missing-text mark.
        if (caption == dezadav::kMissingText || text == dezadav::kMissingText) std::abort();
        ++shown;
    }
    int shown = 0;
};

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

void CheckLookup(const dezadav::LanguageTable& table, std::string_view key) {
    const std::string text = table.LookupText(key);
    // A found text never holds the closing bracket that ends it.
    if (text != dezadav::kMissingText && text.find(']') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    dezadav::LanguageTable table;
    table.LoadFromBytes(bytes);

    // The first entry of each key (ignoring ASCII case) is the one its key finds, text for text.
    std::set<std::string> seenKeys;
    for (const std::string& entry : table.Entries()) {
        const std::size_t open = entry.find('[');
        if (open == std::string::npos || entry.back() != ']') std::abort();
        const std::string key = entry.substr(0, open);
        CheckLookup(table, key);
        if (!seenKeys.insert(UpperAscii(key)).second) continue;
        const std::size_t close = entry.find(']', open);
        if (table.LookupText(key) != entry.substr(open + 1, close - open - 1)) std::abort();
    }
    for (std::string_view key : {"Index_Group", "Codec_Codec5", "Message_Error", "", "[", "]", "####"}) {
        CheckLookup(table, key);
    }

    CountingPort port;
    table.ShowLocalizedMessage(port, "Message_Error", "Message_Login", "Error", "Failed to login router!");
    if (port.shown != 1) std::abort();
    return 0;
}
