#include "core/text/case_fold.h"

namespace quibo {

std::string ToLowerAscii(std::string_view text, LeadByteRule rule)
{
    std::string result(text);
    for (size_t pos = 0; pos < result.size(); pos = NextCharPos(result, pos, rule)) {
        char c = result[pos];
        if (c >= 'A' && c <= 'Z') result[pos] = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b, LeadByteRule rule)
{
    return a.size() == b.size() && ToLowerAscii(a, rule) == ToLowerAscii(b, rule);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix, LeadByteRule rule)
{
    if (text.size() < suffix.size()) return false;
    // The suffix must start on a character of `text`, not on a trail byte.
    size_t start = text.size() - suffix.size();
    size_t pos = 0;
    while (pos < start) pos = NextCharPos(text, pos, rule);
    return pos == start && EqualsNoCase(text.substr(start), suffix, rule);
}

}  // namespace quibo
