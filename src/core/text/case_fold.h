// Case-insensitive handling of code page 936 text: only ASCII letters fold,
// and trail bytes of double-byte characters are left exactly as they are.
#pragma once

#include <string>
#include <string_view>

std::string ToLowerAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
