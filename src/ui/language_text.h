#pragma once

#include <QString>
#include <string_view>

#include "lang/language_table.h"
#include "lang/messages.h"

namespace dezadav {

// The text of a language key from `table`, ready for a widget. Language files are UTF-8; a key
// missing from the file shows as "####".
inline QString UiText(const LanguageTable& table, std::string_view key) {
    return QString::fromStdString(table.LookupText(key));
}

// A message's text from `table`, its English default when the file lacks it.
inline QString UiText(const LanguageTable& table, const MessageText& message) {
    return QString::fromStdString(TextOrDefault(table, message));
}

}  // namespace dezadav
