#pragma once

#include <string>
#include <vector>

namespace dezadav {

// Joins the fields of one settings row with "," and ends it with CR LF, without quoting: the row text
// of the settings file and of the "differs from the row last applied" comparison.
std::string JoinRowFields(const std::vector<std::string>& fields);

}  // namespace dezadav
