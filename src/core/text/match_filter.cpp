#include "core/text/match_filter.h"

#include <string>
#include <vector>

#include "core/text/split.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The characters at `p` in `pattern` and `n` in `name` (each `pLen` and
// `nLen` bytes long) are the same but for the case of an ASCII letter.
bool SameChar(std::string_view pattern, size_t p, size_t pLen, std::string_view name, size_t n, size_t nLen)
{
    if (pLen != nLen) return false;
    if (pLen == 1) return FoldAscii(pattern[p]) == FoldAscii(name[n]);
    return pattern.compare(p, pLen, name, n, nLen) == 0;
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name, TextCharset charset)
{
    const size_t none = std::string_view::npos;
    size_t p = 0, n = 0;
    size_t starP = none, starN = 0;  // where the last "*" stood and what it covers from
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*') ++p;
            starP = p;
            starN = n;
            continue;
        }
        size_t nNext = NextCharPos(name, n, charset);
        if (p < pattern.size()) {
            size_t pNext = NextCharPos(pattern, p, charset);
            if (pattern[p] == '?' || SameChar(pattern, p, pNext - p, name, n, nNext - n)) {
                p = pNext;
                n = nNext;
                continue;
            }
        }
        if (starP == none) return false;
        // Let the last "*" take one more character and try again from there.
        starN = NextCharPos(name, starN, charset);
        p = starP;
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool MatchFilter(std::string_view filter, std::string_view name, TextCharset charset)
{
    if (Trim(filter).empty()) return true;
    for (const std::string& pattern : SplitString(filter, ","))
        if (MatchWildcard(pattern, name, charset)) return true;
    return false;
}

}  // namespace quibo
