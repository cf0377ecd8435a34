// The tool tip text of the tray icon: the shell keeps 127 bytes of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quibo {

constexpr std::size_t kMaxTrayTipBytes = 127;

// The longest start of `text` (code page 936) of at most kMaxTrayTipBytes
// bytes that ends on a whole character: a character that would be cut in
// half is left out, and so is a lead byte that has no trail byte.
std::string TrayTipText(std::string_view text);

}  // namespace quibo
