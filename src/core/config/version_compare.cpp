#include "core/config/version_compare.h"

#include "core/text/decimal.h"

namespace quibo {

namespace {

// Reads the component before the first "." (the number stops at the "."
// anyway) and removes it with its ".". Without a ".", the text becomes
// `whenLast`.
int TakeComponent(std::string_view& text, std::string_view whenLast)
{
    int value = ParseDecimal(text);
    size_t dot = text.find('.');
    text = dot == std::string_view::npos ? whenLast : text.substr(dot + 1);
    return value;
}

}  // namespace

bool IsVersionNewer(std::string_view candidate, std::string_view reference)
{
    while (candidate.find('.') != std::string_view::npos) {
        int x = TakeComponent(candidate, {});
        int y = TakeComponent(reference, "0");
        if (y < x) return true;
        if (x < y) return false;
    }
    return ParseDecimal(reference) < ParseDecimal(candidate);
}

}  // namespace quibo
