#include "core/transfer/header_number.h"

#include <cctype>

namespace quibo {

bool ReadDecimal(const std::string& text, size_t& pos, std::uint64_t& value)
{
    const size_t begin = pos;
    value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        const unsigned digit = static_cast<unsigned>(text[pos] - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
        ++pos;
    }
    return pos > begin;
}

bool ParseContentLength(const std::string& text, std::uint64_t& length)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (!ReadDecimal(text, pos, length)) return false;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return pos == text.size();
}

}  // namespace quibo
