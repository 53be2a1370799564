#include "settings/router_model.h"

namespace dezadav {

bool IsTwoPortModel(std::string_view modelName) {
    return modelName.find("5730K") != std::string_view::npos ||
           modelName.find("5430K") != std::string_view::npos;
}

}  // namespace dezadav
