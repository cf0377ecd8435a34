// Lists of name=value pairs joined by ";;", as in
// "url0=http://a/x.bin;;url1=ftp://b/x.bin" or "show=1;;rect=0,0,400,300".
#pragma once

#include <string>
#include <string_view>

namespace quibo {

// The value stored under `key`: after the first ";;key=" that is not at the
// very start, or else after "key" and one more character when the trimmed
// list begins with the key; it ends before the next ";;". Empty when absent.
// The value is not trimmed.
std::string GetKeyedValue(std::string_view list, std::string_view key);

}  // namespace quibo
