#include "core/text/safe_name.h"

#include "core/text/case_fold.h"

namespace quibo {

namespace {

bool IsDeviceNumber(std::string_view suffix, TextCharset charset)
{
    if (suffix.size() == 1) return suffix[0] >= '0' && suffix[0] <= '9';
    // Superscript one, two and three; code page 936 has no such characters.
    return charset == TextCharset::Utf8 &&
           (suffix == "\xC2\xB9" || suffix == "\xC2\xB2" || suffix == "\xC2\xB3");
}

}  // namespace

bool IsPlainName(std::string_view name, TextCharset charset)
{
    // Only dots: ".", ".." and "..." (Windows drops trailing dots) all name a folder.
    if (name.find_first_not_of('.') == std::string_view::npos) return false;
    for (size_t pos = 0; pos < name.size(); pos = NextCharPos(name, pos, charset)) {
        unsigned char c = static_cast<unsigned char>(name[pos]);
        if (c == '/' || c == '\\' || c == ':' || c < 0x20) return false;
    }
    return true;
}

bool IsReservedWindowsName(std::string_view name, TextCharset charset)
{
    // Neither "." nor " " is ever a trail byte, so plain byte tests will do.
    if (name.empty()) return false;
    if (name.back() == '.' || name.back() == ' ') return true;

    // Windows takes the part before the first "." without its trailing blanks
    // for the device name.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);

    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsNoCase(base, device, charset)) return true;
    for (std::string_view port : {"COM", "LPT"})
        if (base.size() > port.size() && EqualsNoCase(base.substr(0, port.size()), port, charset) &&
            IsDeviceNumber(base.substr(port.size()), charset))
            return true;
    return false;
}

}  // namespace quibo
