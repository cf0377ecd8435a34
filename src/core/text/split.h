// Splitting a list text such as "a.exe, b.exe,,c.exe" into its pieces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quibo {

// Trims the text, cuts it at every `separator`, trims each piece and keeps the
// non-empty pieces in order.
std::vector<std::string> SplitString(std::string_view text, std::string_view separator);

}  // namespace quibo
