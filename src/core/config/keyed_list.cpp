#include "core/config/keyed_list.h"

#include "core/text/code_page.h"
#include "core/text/trim.h"

namespace quibo {

std::string GetKeyedValue(std::string_view list, std::string_view key)
{
    list = Trim(list);
    std::string pattern = ";;" + std::string(key) + "=";
    size_t start;
    size_t hit = FindText(list, pattern);
    if (hit != std::string_view::npos && hit > 0) {
        start = hit + pattern.size();
    } else if (list.compare(0, key.size(), key) == 0) {
        // The character after the key is taken for the "=" unchecked, so a list
        // holding just the key has no value at all.
        start = key.size() + 1;
        if (start > list.size()) return {};
    } else {
        return {};
    }
    size_t end = FindText(list, ";;", start);
    if (end == std::string_view::npos) end = list.size();
    return std::string(list.substr(start, end - start));
}

}  // namespace quibo
