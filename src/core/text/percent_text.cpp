#include "core/text/percent_text.h"

namespace quibo {

std::string FormatProgressText(std::string_view format, int value)
{
    if (format.empty()) format = "%d%%";
    std::string text;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 'd') {
                text += std::to_string(value);
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                text += '%';
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

}  // namespace quibo
