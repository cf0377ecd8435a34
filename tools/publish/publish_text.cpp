#include "publish/publish_text.h"

#include <iconv.h>

#include <cctype>
#include <memory>
#include <vector>

#include "core/text/utf8_text.h"

namespace quibo::publish {

std::optional<std::string> Utf8ToCp936(std::string_view utf8)
{
    if (!IsValidUtf8(utf8)) return std::nullopt;
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
    // Code page 936 never needs more bytes than UTF-8 for one character.
    std::vector<char> in(utf8.begin(), utf8.end()), out(utf8.size() + 1);
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    return std::string(out.data(), outPtr);
}

std::string EscapeUrlSegment(std::string_view name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) && c < 0x80) {
            out += ch;
        } else if (c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

bool IsDottedVersion(std::string_view text)
{
    bool digitBefore = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

}  // namespace quibo::publish
