// Values inside a skin attribute string such as
// "show=1;;rect=10,20,300,40;;clrbk=16777215".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

// A rectangle in pixels of a page's client area.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // Sides computed in 64 bits: a made-up skin may give any 32-bit numbers.
    long long Width() const { return static_cast<long long>(right) - left; }
    long long Height() const { return static_cast<long long>(bottom) - top; }
    // Nothing is drawn or placed in a rectangle without a positive width and height.
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    bool operator==(const SkinRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The value of `key`, empty when absent; a later ";;key=" wins over one at
// the start. The value is not trimmed.
std::string GetAttribute(std::string_view attributes, std::string_view key);

// "x,y,w,h" to a rectangle; the empty rectangle when fewer than three commas.
SkinRect ParseRect(std::string_view text);

// Trimmed decimal text, or `defaultValue` when the trimmed text is empty.
int ParseInt(std::string_view text, int defaultValue);

// A colour 0x00BBGGRR written in decimal; `defaultValue` when empty.
std::uint32_t ParseColor(std::string_view text, std::uint32_t defaultValue);

}  // namespace quibo
