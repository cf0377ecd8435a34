// Folder paths held as code page 936 text, separated by "\".
#pragma once

#include <string>
#include <string_view>

// Trimmed, with one "\" added unless the last character already is one (a
// double-byte character ending in byte 0x5C is not); empty stays empty.
std::string EnsureTrailingBackslash(std::string_view path);

// The path without one trailing "\", when it has one.
std::string_view StripTrailingBackslash(std::string_view path);
