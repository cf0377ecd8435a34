// Names that come from a server listing are placed below local folders; a
// name must never be able to point anywhere else.
#pragma once

#include <string_view>

#include "core/text/code_page.h"

// True for a name that can only mean one entry inside the folder it is
// listed in: not empty or ".", and without "..", "/", "\", ":" (drive or
// stream) or control characters. A code page 936 character whose trail byte
// is 0x5C is not a "\".
bool IsPlainName(std::string_view name, TextCharset charset = kBuildCharset);
