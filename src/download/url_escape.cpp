#include "download/url_escape.h"

#include <windows.h>

namespace quibo {

namespace {

void AppendEscaped(std::string& out, unsigned byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[(byte >> 4) & 0xF];
    out += kHex[byte & 0xF];
}

// UTF-8 of one UTF-16 unit, in the shortest form: servers refuse the
// three-byte form of a character below U+0800 (Greek, Cyrillic, "·" ...).
void AppendUtf8Escaped(std::string& out, unsigned unit)
{
    if (unit < 0x80) {
        AppendEscaped(out, unit);
    } else if (unit < 0x800) {
        AppendEscaped(out, 0xC0 | (unit >> 6));
        AppendEscaped(out, 0x80 | (unit & 0x3F));
    } else {
        AppendEscaped(out, 0xE0 | (unit >> 12));
        AppendEscaped(out, 0x80 | ((unit >> 6) & 0x3F));
        AppendEscaped(out, 0x80 | (unit & 0x3F));
    }
}

}  // namespace

std::string EscapeUrlUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // A lead byte takes its trail with it; a high byte that is no lead
        // (or a lead without its trail) is one character on its own.
        int length = (::IsDBCSLeadByte(c) && i + 1 < text.size()) ? 2 : 1;
        wchar_t unit = 0;
        if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data() + i, length, &unit, 1) == 1) {
            AppendUtf8Escaped(out, unit);
        } else {
            for (int k = 0; k < length; ++k) AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
        }
        i += length;
    }
    return out;
}

}  // namespace quibo
