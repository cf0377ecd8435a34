// Text conversions between the publisher's world (UTF-8 names and
// descriptions, URLs) and the updater's (code page 936).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quibo::publish {

// The UTF-8 text in code page 936; nullopt when it is not valid UTF-8 or
// holds a character that code page has no bytes for.
std::optional<std::string> Utf8ToCp936(std::string_view utf8);

// Every byte outside A-Z a-z 0-9 - . _ ~ written as %XX, so a name with
// blanks or non-ASCII letters is one path segment of a URL.
std::string EscapeUrlSegment(std::string_view name);

// True for "1", "1.2.10": dot-separated decimal numbers, nothing else.
bool IsDottedVersion(std::string_view text);

}  // namespace quibo::publish
