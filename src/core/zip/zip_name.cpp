#include "core/zip/zip_name.h"

#include "core/text/code_page.h"
#include "core/text/safe_name.h"
#include "core/text/utf8_text.h"
#include "core/zip/zip_exception.h"

namespace quibo {

namespace {

unsigned char At(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Bytes taken by the character starting at `i`: 2 for a code page 936 pair.
std::size_t CharLength(std::string_view s, std::size_t i, bool multibyte)
{
    // Archive names are code page 936 whatever this build's own literals are.
    return multibyte && IsLeadByte(s[i], TextCharset::CodePage936) && i + 1 < s.size() ? 2 : 1;
}

unsigned char FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsSeparator(unsigned char c) { return c == '/' || c == '\\'; }

// A code page 936 trail byte. A lead byte followed by anything else (a '/',
// a '.', a ':') is no character, and a file system could take the second
// byte on its own: such a name is refused rather than guessed at.
bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

bool OnlyDotsAndBlanks(const std::string& part) { return part.find_first_not_of(". ") == std::string::npos; }

[[noreturn]] void Refuse(std::string_view name, const char* why)
{
    throw CZipException(CZipException::unsafeName, "zip: member name '" + std::string(name) + "' " + why);
}

}  // namespace

bool NamesEqualNoCase(std::string_view a, std::string_view b, bool multibyte)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        std::size_t n = CharLength(a, i, multibyte);
        if (n == 2) {
            if (a.substr(i, 2) != b.substr(i, 2)) return false;
        } else if (FoldAscii(At(a, i)) != FoldAscii(At(b, i))) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string FoldNameCase(std::string_view name, bool multibyte)
{
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); i += CharLength(folded, i, multibyte))
        if (CharLength(folded, i, multibyte) == 1) folded[i] = static_cast<char>(FoldAscii(At(folded, i)));
    return folded;
}

bool EndsWithSeparator(std::string_view name, bool multibyte)
{
    bool last = false;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = CharLength(name, i, multibyte);
        last = n == 1 && IsSeparator(At(name, i));
        i += n;
    }
    return last;
}

std::vector<std::string> SafeMemberPath(std::string_view name, bool multibyte)
{
    if (!name.empty() && IsSeparator(At(name, 0))) Refuse(name, "is absolute");
    if (name.find('\0') != std::string_view::npos) Refuse(name, "holds a NUL byte");
    if (!multibyte && !IsValidUtf8(name)) Refuse(name, "is not valid UTF-8");
    const TextCharset charset = multibyte ? TextCharset::CodePage936 : TextCharset::Utf8;
    std::vector<std::string> parts;
    std::string part;
    auto endPart = [&]() {
        if (part == "..") Refuse(name, "leaves its folder");
        if (!part.empty() && part != "." && OnlyDotsAndBlanks(part)) Refuse(name, "leaves its folder");
        if (part == ".") part.clear();
        if (IsReservedWindowsName(part, charset)) Refuse(name, "is a device or a name Windows changes");
        if (!part.empty()) parts.push_back(part);
        part.clear();
    };
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = CharLength(name, i, multibyte);
        unsigned char c = At(name, i);
        if (n == 2 && !IsTrailByte(At(name, i + 1))) {
            Refuse(name, "is not valid code page 936");
        } else if (n == 1 && multibyte && IsLeadByte(name[i], TextCharset::CodePage936)) {
            Refuse(name, "ends in half a code page 936 character");
        } else if (n == 1 && IsSeparator(c)) {
            endPart();
        } else if (n == 1 && c == ':') {
            Refuse(name, "names a drive or a stream");
        } else {
            part.append(name.substr(i, n));
        }
        i += n;
    }
    endPart();
    if (parts.empty()) Refuse(name, "is empty");
    return parts;
}

}  // namespace quibo
