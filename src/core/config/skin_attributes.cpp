#include "core/config/skin_attributes.h"

#include <climits>

#include "core/config/keyed_list.h"
#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

// x + w stays within the 32-bit range for any numbers a skin may hold.
int SaturatingSum(int a, int b)
{
    long long sum = static_cast<long long>(a) + b;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

}  // namespace

std::string GetAttribute(std::string_view attributes, std::string_view key)
{
    return GetKeyedValue(attributes, key);
}

SkinRect ParseRect(std::string_view text)
{
    int values[4] = {};
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) return {};
        values[i] = ParseInt(text.substr(start, comma - start), 0);
        start = comma + 1;
    }
    values[3] = ParseInt(text.substr(start), 0);
    return {values[0], values[1], SaturatingSum(values[0], values[2]), SaturatingSum(values[1], values[3])};
}

int ParseInt(std::string_view text, int defaultValue)
{
    text = Trim(text);
    return text.empty() ? defaultValue : ParseDecimal(text);
}

std::uint32_t ParseColor(std::string_view text, std::uint32_t defaultValue)
{
    text = Trim(text);
    return text.empty() ? defaultValue : static_cast<std::uint32_t>(ParseDecimal(text));
}

}  // namespace quibo
