// Numbers in the headers of an answer, read as the server wrote them: a
// length of any size, not only what fits in 32 bits.
#pragma once

#include <cstdint>
#include <string>

namespace quibo {

// Reads decimal digits at `pos` and moves past them; false when there are
// none or they do not fit in 64 bits.
bool ReadDecimal(const std::string& text, size_t& pos, std::uint64_t& value);

// A Content-Length header's text: digits, blanks allowed around them;
// false for anything else (a sign, a second number, an overflow).
bool ParseContentLength(const std::string& text, std::uint64_t& length);

}  // namespace quibo
