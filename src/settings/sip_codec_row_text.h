#pragma once

#include <string>
#include <vector>

namespace dezadav {

// Joins the fields of one settings row with "," and ends it with CR LF: the row text of the settings
// file. A field holding a comma or a double quote is quoted (SettingsFileField) so that it reads back
// whole.
std::string JoinRowFields(const std::vector<std::string>& fields);

}  // namespace dezadav
