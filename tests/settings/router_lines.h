#pragma once

#include <string>
#include <vector>

namespace dezadav::testing {

// Router output as the router prints it: every line ends with LF then CR, the closing prompt last.
inline std::string RouterLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n\r";
    text += "router> \n\r";
    return text;
}

}  // namespace dezadav::testing
