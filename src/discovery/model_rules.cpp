#include "discovery/model_rules.h"

namespace dezadav {

bool IsSupportedModel(std::string_view modelName) {
    if (modelName.size() < 10) return false;
    return std::string_view("38074").find(modelName[6]) != std::string_view::npos && modelName[9] == 'K';
}

bool IsTwoPortModel(std::string_view modelName) {
    return modelName.find("5730K") != std::string_view::npos ||
           modelName.find("5430K") != std::string_view::npos;
}

}  // namespace dezadav
