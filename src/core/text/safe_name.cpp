#include "core/text/safe_name.h"

bool IsPlainName(std::string_view name, TextCharset charset)
{
    if (name.empty() || name == ".") return false;
    if (FindText(name, "..", 0, charset) != std::string_view::npos) return false;
    for (size_t pos = 0; pos < name.size(); pos = NextCharPos(name, pos, charset)) {
        unsigned char c = static_cast<unsigned char>(name[pos]);
        if (c == '/' || c == '\\' || c == ':' || c < 0x20) return false;
    }
    return true;
}
