// Member names: 8-bit bytes, code page 936 unless the member's UTF-8 flag is
// set. In code page 936 a lead byte 0x81-0xFE is followed by a trail byte
// that may look like ASCII ('A', 'a', even '\\'), so every scan steps over
// whole characters: a trail byte is never case-folded nor taken as a separator.
// With `multibyte` false (UTF-8 names) bytes are plain; UTF-8 never hides
// ASCII inside a character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quibo {

// Equal but for the case of ASCII letters.
bool NamesEqualNoCase(std::string_view a, std::string_view b, bool multibyte = true);
// The name with its ASCII letters in lower case: two names are equal for
// NamesEqualNoCase exactly when their folded forms are equal.
std::string FoldNameCase(std::string_view name, bool multibyte = true);

// True when the last character is '/' or '\\': the member is a folder.
bool EndsWithSeparator(std::string_view name, bool multibyte = true);

// The folder components of a member name, split at '/' and '\\', for writing
// it below a target folder. Empty and "." components are dropped. Throws
// CZipException(unsafeName) for a name that could land outside the target:
// absolute, with a drive letter or any ':' (on Windows also a data stream),
// a ".." component or one of dots and blanks only (Windows reads those as
// ".."), a NUL byte, a code page 936 lead byte without its trail byte, bytes
// that are not UTF-8 in a UTF-8 name, or nothing left at all; and for a name
// that would not land on a file of its own: a component that is a device
// name ("CON", "nul.txt") or ends in "." or " " (IsReservedWindowsName).
std::vector<std::string> SafeMemberPath(std::string_view name, bool multibyte = true);

}  // namespace quibo
