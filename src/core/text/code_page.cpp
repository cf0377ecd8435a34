#include "core/text/code_page.h"

#include <algorithm>

namespace quibo {

size_t FindText(std::string_view text, std::string_view needle, size_t from, LeadByteRule rule)
{
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (size_t pos = from; pos < text.size(); pos = NextCharPos(text, pos, rule)) {
        if (text.compare(pos, needle.size(), needle) == 0) return pos;
    }
    return std::string_view::npos;
}

size_t FindLastChar(std::string_view text, char c, LeadByteRule rule)
{
    size_t last = std::string_view::npos;
    for (size_t pos = 0; pos < text.size(); pos = NextCharPos(text, pos, rule)) {
        if (text[pos] == c) last = pos;
    }
    return last;
}

bool EndsWithChar(std::string_view text, char c, LeadByteRule rule)
{
    size_t last = FindLastChar(text, c, rule);
    return last != std::string_view::npos && last + 1 == text.size();
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to, size_t limit,
                       LeadByteRule rule)
{
    std::string result;
    result.reserve(std::min(text.size(), limit));
    size_t pos = 0;
    while (result.size() <= limit) {
        size_t hit = from.empty() ? std::string_view::npos : FindText(text, from, pos, rule);
        if (hit == std::string_view::npos) {
            result.append(text.substr(pos));
            break;
        }
        result.append(text.substr(pos, hit - pos));
        result.append(to);
        pos = hit + from.size();
    }
    if (result.size() > limit) result.resize(HeadWithin(result, limit, rule).size());
    return result;
}

std::string_view HeadWithin(std::string_view text, size_t limit, LeadByteRule rule)
{
    if (text.size() <= limit) return text;
    size_t end = 0;
    for (size_t next; end < text.size() && (next = NextCharPos(text, end, rule)) <= limit;) end = next;
    return text.substr(0, end);
}

}  // namespace quibo
