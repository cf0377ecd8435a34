// Blank trimming for configuration text. Only ASCII white space is removed, so
// the bytes of code page 936 characters are never touched.
#pragma once

#include <string_view>

namespace quibo {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline std::string_view TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

inline std::string_view TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

inline std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

}  // namespace quibo
