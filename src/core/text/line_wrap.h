// Breaking a label's text into the lines that fit its width.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/code_page.h"

namespace quibo {

// The width of a text in pixels, as the label's font draws it.
using MeasureText = std::function<int(std::string_view)>;

// Splits `text` into lines no wider than `width`. A line break (CR LF, LF CR,
// or a lone CR or LF) ends a line and is not kept. A line that would grow too
// wide ends before the character that does not fit, or, when the line holds a
// space and does not end with one, at its last space, which is dropped.
// Characters are never split, and every line holds at least one character
// (a single character wider than the label gets a line of its own). `lead`
// names the bytes that open a two-byte character: a label shows its text in
// the system's code page.
std::vector<std::string> WrapLines(std::string_view text, int width, const MeasureText& measure,
                                   LeadByteRule lead = kBuildCharset);

}  // namespace quibo
