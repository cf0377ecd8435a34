#include "core/config/log_banner.h"

namespace quibo {

std::string SectionBanner(std::string_view title)
{
    std::string bar;
    for (int i = 0; i < 11; ++i) bar += "≡";
    return bar + "【" + std::string(title) + "】" + bar;
}

}  // namespace quibo
