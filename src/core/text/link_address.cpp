#include "core/text/link_address.h"

#include <cctype>

namespace quibo {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::tolower(c) != prefix[i]) return false;
    }
    return true;
}

bool SafeCharacters(std::string_view text)
{
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F || c == '"') return false;
    }
    return true;
}

}  // namespace

bool IsOpenableLink(std::string_view url)
{
    for (std::string_view scheme : {"http://", "https://", "mailto:"}) {
        if (StartsWithNoCase(url, scheme)) return url.size() > scheme.size() && SafeCharacters(url);
    }
    return false;
}

}  // namespace quibo
