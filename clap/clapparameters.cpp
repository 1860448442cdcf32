#include "clapparameters.h"

#include "numbertext.h"

#include <cstring>

namespace clapparam {

bool describe(std::uint32_t index, clap_param_info* info) {
    if (info == nullptr || !deltamod::isParameter(index)) return false;
    const deltamod::Parameter& parameter = deltamod::kParameters[index];
    std::memset(info, 0, sizeof(*info));
    info->id = index;
    // A stepped parameter is a choice among the rates, which hosts show by their texts.
    info->flags = CLAP_PARAM_IS_AUTOMATABLE |
                  (parameter.stepped ? CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM : 0U);
    numbertext::copyText(info->name, parameter.name, CLAP_NAME_SIZE - 1);
    info->min_value = parameter.minimum;
    info->max_value = parameter.maximum;
    info->default_value = parameter.defaultValue;
    return true;
}

} // namespace clapparam
