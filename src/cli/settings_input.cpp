#include "cli/settings_input.h"

#include "lang/messages.h"
#include "settings/router_model.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "settings/settings_file_form.h"
#include "settings/settings_json.h"

namespace dezadav::cli {

namespace {

constexpr std::string_view kStandardInput = "-";
constexpr std::string_view kStandardInputName = "standard input";

}  // namespace

std::variant<SettingsInput, std::string> ReadSettingsInput(const std::string& path, const std::optional<std::string>& model,
                                                           const LanguageTable& language, std::istream& standardInput,
                                                           bool replace) {
    const bool fromStandardInput = path == kStandardInput;
    const std::string source = fromStandardInput ? std::string(kStandardInputName) : path;
    std::string reason;
    std::optional<std::string> bytes =
        fromStandardInput ? ReadSettingsStream(standardInput, &reason) : ReadSettingsFile(path, &reason);
    if (bytes && IsSettingsJson(*bytes)) {
        // A document is checked over a new program's settings here; each router gets it merged into
        // what that router holds once it is read.
        const SettingsFileWords words = AllSettingsFileWords(language);
        const std::optional<bool> shown =
            model ? std::optional<bool>(IsTwoPortModel(*model)) : SettingsJsonIsTwoPort(*bytes);
        SettingsJsonRead read = ReadSettingsJson(*bytes, {}, shown.value_or(false), replace, words);
        if (read.problem && !shown) {
            SettingsJsonRead twoPort = ReadSettingsJson(*bytes, {}, true, replace, words);
            if (!twoPort.problem) read = std::move(twoPort);
        }
        if (read.problem) return source + ": " + *read.problem;
        return SettingsInput{std::move(*bytes), source};
    }
    if (bytes && !HoldsSettingsSection(*bytes)) {
        bytes.reset();
        reason = kNoSettingsSectionReason;
    }
    if (!bytes) return TextOrDefault(language, kMsgFileFail) + " (" + source + ": " + reason + ")";

    const SettingsFileWords words = AllSettingsFileWords(language);
    const std::optional<bool> shown = model ? std::optional<bool>(IsTwoPortModel(*model))
                                            : SettingsFileIsTwoPort(*bytes, language);
    CheckedSettingsText checked = CheckSettingsText(*bytes, shown.value_or(false), words);
    if (checked.problem && !shown) {
        // A file that shows neither form is good when it is good in one of them.
        CheckedSettingsText twoPort = CheckSettingsText(*bytes, true, words);
        if (!twoPort.problem) checked = std::move(twoPort);
    }
    if (checked.problem) return checked.problem->Message(source);
    // The text as read, not as checked: the apply reads it again in the router's own form.
    return SettingsInput{std::move(*bytes), source};
}

}  // namespace dezadav::cli
