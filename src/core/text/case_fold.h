// Case-insensitive handling of 8-bit text: only ASCII letters fold, and trail
// bytes of double-byte characters are left exactly as they are.
#pragma once

#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

std::string ToLowerAscii(std::string_view text, LeadByteRule rule = kBuildCharset);
bool EqualsNoCase(std::string_view a, std::string_view b, LeadByteRule rule = kBuildCharset);
bool EndsWithNoCase(std::string_view text, std::string_view suffix, LeadByteRule rule = kBuildCharset);

}  // namespace quibo
