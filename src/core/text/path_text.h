// Folder paths held as 8-bit text, separated by "\": code page 936 when they
// come from the configuration, the system's code page when the system gave
// them (pass its LeadByteRule).
#pragma once

#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// Trimmed, with one "\" added unless the last character already is one (a
// double-byte character ending in byte 0x5C is not); empty stays empty.
std::string EnsureTrailingBackslash(std::string_view path, LeadByteRule rule = kBuildCharset);

// The path without one trailing "\", when it has one.
std::string_view StripTrailingBackslash(std::string_view path, LeadByteRule rule = kBuildCharset);

}  // namespace quibo
