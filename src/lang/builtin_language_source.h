#pragma once

#include "lang/language_table.h"

namespace dezadav {

// The language files built into the program as Qt resources (:/lang/...), by language number.
LanguageSource BuiltinLanguageSource();

// Points the process-wide table at the built-in files and loads English, as every start does.
void LoadBuiltinEnglish(MessagePort* port);

}  // namespace dezadav
