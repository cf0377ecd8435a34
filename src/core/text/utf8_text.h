// Checking text that claims to be UTF-8 before it is decoded.
#pragma once

#include <string_view>

namespace quibo {

// True when `text` is well-formed UTF-8: every sequence complete, no overlong
// form (which could spell "/" or "." in disguise), no surrogate and nothing
// above U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace quibo
