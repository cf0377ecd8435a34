// Addresses are written in the system code page; servers expect UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

// `text` with every double-byte character of the system code page written as
// its UTF-8 bytes, each as "%XX" with upper-case hex digits. Single bytes
// below 0x80 are copied as they are.
std::string EscapeUrlUtf8(std::string_view text);

}  // namespace quibo
