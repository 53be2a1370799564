#pragma once

#include "lang/builtin_language_source.h"
#include "lang/language_table.h"

namespace dezadav {

// One table shared by the widget tests of a test program, as the window shares its own with every
// page and dialog it makes.
inline LanguageTable& ProcessLanguageTable() {
    static LanguageTable table;
    return table;
}

// Points the shared table at the built-in files and loads English.
inline void LoadBuiltinEnglish(MessagePort* port) {
    ProcessLanguageTable().SetSource(BuiltinLanguageSource());
    ProcessLanguageTable().LoadLanguage(0, port);
}

}  // namespace dezadav
