#include "core/transfer/range_answer.h"

#include <cctype>

#include "core/transfer/header_number.h"

namespace quibo {

namespace {

bool Skip(const std::string& text, size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// "bytes FIRST-LAST/TOTAL", the unit in any case; an unknown total ("*") is
// refused, so that the joined file's size is always known.
bool ParseContentRange(const std::string& text, std::uint64_t& first, std::uint64_t& last, std::uint64_t& total)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    static const char kUnit[] = "bytes";
    for (const char* u = kUnit; *u; ++u, ++pos)
        if (pos >= text.size() || std::tolower(static_cast<unsigned char>(text[pos])) != *u) return false;
    if (!Skip(text, pos, ' ')) return false;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (!ReadDecimal(text, pos, first) || !Skip(text, pos, '-') || !ReadDecimal(text, pos, last) ||
        !Skip(text, pos, '/') || !ReadDecimal(text, pos, total))
        return false;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return pos == text.size();
}

}  // namespace

RangeAnswer JudgeRangeAnswer(unsigned status, const std::string& contentRange, std::uint64_t from,
                             std::uint64_t contentLength)
{
    if (status == 416) return RangeAnswer::Refetch;
    if (status < 200 || status >= 300) return RangeAnswer::Fail;
    if (status != 206) return RangeAnswer::Afresh;
    std::uint64_t first = 0, last = 0, total = 0;
    if (!ParseContentRange(contentRange, first, last, total)) return RangeAnswer::Refetch;
    const bool exact = first == from && last >= first && last - first + 1 == contentLength && total == last + 1;
    return exact ? RangeAnswer::Append : RangeAnswer::Refetch;
}

}  // namespace quibo
