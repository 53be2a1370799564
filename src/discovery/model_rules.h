#pragma once

#include <string_view>

namespace dezadav {

// A router may be managed when the seventh character of its model name is one of 3, 8, 0, 7, 4 and
// the tenth is 'K'. Names too short to have a tenth character are simply not supported.
bool IsSupportedModel(std::string_view modelName);

}  // namespace dezadav
