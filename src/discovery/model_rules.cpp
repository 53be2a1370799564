#include "discovery/model_rules.h"

namespace dezadav {

bool IsSupportedModel(std::string_view modelName) {
    if (modelName.size() < 10) return false;
    return std::string_view("38074").find(modelName[6]) != std::string_view::npos && modelName[9] == 'K';
}

}  // namespace dezadav
