// The file filter of a folder item: comma-separated wildcard patterns such as
// "*.dll, readme?.txt".
#pragma once

#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// An empty (or blank) filter matches every name. Otherwise the name must be
// covered whole by one of the patterns: "*" is any run of characters, none
// included, "?" exactly one character (a double-byte character counts as
// one), and ASCII letters match either case.
bool MatchFilter(std::string_view filter, std::string_view name, TextCharset charset = kBuildCharset);

// One pattern against one name, by the same rules.
bool MatchWildcard(std::string_view pattern, std::string_view name, TextCharset charset = kBuildCharset);

}  // namespace quibo
