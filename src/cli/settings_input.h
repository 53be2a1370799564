#pragma once

#include <istream>
#include <optional>
#include <string>
#include <variant>

#include "lang/language_table.h"

namespace dezadav::cli {

// The settings an apply sends, read whole and checked before any router is contacted.
struct SettingsInput {
    std::string text;    // as the program itself would have written it
    std::string source;  // how messages name it: the path, or "standard input"
};

// Reads `path` ("-": `standardInput`; a regular file or a FIFO of at most 1 MiB) and checks every
// field strictly: in the form of `model` when it is given, else in the form the file shows, else in
// either form. The error line to print when the file cannot be applied as it stands: "file:line:
// field: "value" why", or Message_FileFail with the file and why it could not be read.
std::variant<SettingsInput, std::string> ReadSettingsInput(const std::string& path, const std::optional<std::string>& model,
                                                           const LanguageTable& language, std::istream& standardInput,
                                                           bool replace = false);

}  // namespace dezadav::cli
