#include "history/settings_history.h"

#include <array>
#include <utility>

namespace dezadav {

namespace {

constexpr std::array<std::pair<HistoryCause, std::string_view>, 6> kCauseWords{{
    {HistoryCause::Fetch, "fetch"},
    {HistoryCause::BeforeApply, "before apply"},
    {HistoryCause::AfterApply, "after apply"},
    {HistoryCause::Backup, "backup"},
    {HistoryCause::Undo, "undo"},
    {HistoryCause::FailedApply, "after failed apply"},
}};

// A field of a message never spans lines: a model name with a line break would forge another field.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

}  // namespace

std::string_view HistoryCauseWord(HistoryCause cause) {
    for (const auto& [known, word] : kCauseWords) {
        if (known == cause) return word;
    }
    return {};
}

std::optional<HistoryCause> HistoryCauseFromWord(std::string_view word) {
    for (const auto& [cause, known] : kCauseWords) {
        if (known == word) return cause;
    }
    return std::nullopt;
}

std::string HistoryMessage(const HistoryRouter& router, HistoryCause cause, std::string_view program) {
    const std::string name = router.Name();
    std::string message = std::string(HistoryCauseWord(cause)) + ": " + OneLine(name);
    if (!router.modelName.empty()) message += " (" + OneLine(router.modelName) + ")";
    message += "\n\nRouter: " + OneLine(name) + "\nAddress: " + OneLine(router.ipAddress) +
               "\nModel: " + OneLine(router.modelName) + "\nCause: " + std::string(HistoryCauseWord(cause)) +
               "\nProgram: " + OneLine(program) + "\n";
    return message;
}

std::optional<std::string> HistoryMessageField(std::string_view message, std::string_view name) {
    const std::string prefix = std::string(name) + ": ";
    std::size_t start = 0;
    while (start < message.size()) {
        std::size_t end = message.find('\n', start);
        if (end == std::string_view::npos) end = message.size();
        const std::string_view line = message.substr(start, end - start);
        if (line.substr(0, prefix.size()) == prefix) return std::string(line.substr(prefix.size()));
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> BeforeLastApplyId(const std::vector<HistoryEntry>& newestFirst, bool* beforeMissing) {
    if (beforeMissing != nullptr) *beforeMissing = false;
    auto entry = newestFirst.begin();
    while (entry != newestFirst.end() && entry->cause != HistoryCause::AfterApply &&
           entry->cause != HistoryCause::Undo)
        ++entry;
    if (entry == newestFirst.end()) return std::nullopt;
    // Every apply records its "before apply" right before it sends anything.
    ++entry;
    if (entry == newestFirst.end() || entry->cause != HistoryCause::BeforeApply) {
        if (beforeMissing != nullptr) *beforeMissing = true;
        return std::nullopt;
    }
    return entry->id;
}

}  // namespace dezadav
