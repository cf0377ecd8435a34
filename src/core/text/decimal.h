// Decimal text to int the way the C library's atoi reads it (leading blanks,
// an optional sign, digits up to the first non-digit; no digits give 0), but
// defined for every input: values beyond the 32-bit range stop at its limits,
// as the Windows runtime does, instead of overflowing.
#pragma once

#include <cstdint>
#include <string_view>

namespace quibo {

int ParseDecimal(std::string_view text);

// A number written in digits alone (no sign, no blanks), up to 19 of them so
// that it always fits; false for any other text.
bool ParseDigits(std::string_view text, std::uint64_t& value);

}  // namespace quibo
