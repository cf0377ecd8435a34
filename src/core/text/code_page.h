// Byte-string helpers for the program's 8-bit text.
//
// The Windows program's text is code page 936: a lead byte (0x81-0xFE) takes
// the byte after it as its trail, and a trail byte can look like an ASCII
// character such as "\", "{" or a letter. Every search here therefore only
// matches at character starts, so a Chinese character is never taken for the
// ASCII text it happens to contain. The native build keeps its literals in
// UTF-8, where no byte of a multi-byte character looks like ASCII; there the
// text is walked byte by byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quibo {

enum class TextCharset { CodePage936, Utf8 };

// The character set of this build's own literals.
constexpr TextCharset kBuildCharset = sizeof("中") == 3 ? TextCharset::CodePage936 : TextCharset::Utf8;

// Which bytes open a two-byte character. Text the program carries itself
// (configuration, literals) follows code page 936; paths and command lines
// that the system hands over follow the system's ANSI code page, which only
// the Windows side can name (Japanese 932 has two lead ranges, Western 1252
// none). Held as ranges, as Windows itself describes a code page.
class LeadByteRule {
public:
    // Implicit: every character set is a rule, so callers may pass either.
    constexpr LeadByteRule(TextCharset charset)
    {
        if (charset == TextCharset::CodePage936) AddRange(0x81, 0xFE);
    }
    // No lead bytes at all: a single-byte code page.
    static constexpr LeadByteRule SingleByte() { return LeadByteRule(TextCharset::Utf8); }

    // Bytes `first` to `last` open a two-byte character. A code page has at
    // most five ranges; a further one is ignored.
    constexpr LeadByteRule& AddRange(unsigned char first, unsigned char last)
    {
        if (count_ < kMaxRanges) ranges_[count_++] = Range{first, last};
        return *this;
    }
    constexpr bool IsLead(unsigned char c) const
    {
        for (int i = 0; i < count_; ++i)
            if (c >= ranges_[i].first && c <= ranges_[i].last) return true;
        return false;
    }

private:
    static constexpr int kMaxRanges = 5;
    struct Range {
        unsigned char first = 0, last = 0;
    };
    Range ranges_[kMaxRanges] = {};
    int count_ = 0;
};

inline bool IsLeadByte(char c, LeadByteRule rule = kBuildCharset)
{
    return rule.IsLead(static_cast<unsigned char>(c));
}

// Index of the character that follows the one starting at `pos`.
inline size_t NextCharPos(std::string_view text, size_t pos, LeadByteRule rule = kBuildCharset)
{
    return (IsLeadByte(text[pos], rule) && pos + 1 < text.size()) ? pos + 2 : pos + 1;
}

// First occurrence of `needle` starting at a character start at or after `from`
// (itself a character start); npos when none.
size_t FindText(std::string_view text, std::string_view needle, size_t from = 0,
                LeadByteRule rule = kBuildCharset);

// Last character equal to the ASCII character `c`; npos when none.
size_t FindLastChar(std::string_view text, char c, LeadByteRule rule = kBuildCharset);

// True when the last character of `text` is the ASCII character `c`.
bool EndsWithChar(std::string_view text, char c, LeadByteRule rule = kBuildCharset);

// Every occurrence of `from` replaced by `to`, scanning left to right. The
// result is cut to at most `limit` bytes (see HeadWithin), and the work stops
// there, so a short text full of matches cannot grow without bound.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                       size_t limit = std::string_view::npos, LeadByteRule rule = kBuildCharset);

// The longest start of `text` of at most `limit` bytes that does not split a
// character.
std::string_view HeadWithin(std::string_view text, size_t limit, LeadByteRule rule = kBuildCharset);

}  // namespace quibo
