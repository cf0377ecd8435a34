// Section banners that frame the parts of a run in the run log.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

// "≡≡≡≡≡≡≡≡≡≡≡【title】≡≡≡≡≡≡≡≡≡≡≡"
std::string SectionBanner(std::string_view title);

}  // namespace quibo
