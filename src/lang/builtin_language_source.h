#pragma once

#include "lang/language_table.h"

namespace dezadav {

// The language files built into the program as Qt resources (:/lang/...), by language number.
LanguageSource BuiltinLanguageSource();

// A table over the built-in files with English loaded, as every start has it.
LanguageTable BuiltinEnglishTable(MessagePort* port = nullptr);

}  // namespace dezadav
