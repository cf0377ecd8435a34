// Points in time as a release's metadata writes them: UTC, to the second,
// "YYYY-MM-DDTHH:MM:SSZ".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

// Seconds since 1970-01-01T00:00:00Z.
using UtcSeconds = std::int64_t;

std::string FormatUtcTime(UtcSeconds time);
// False for text not exactly of that form or naming no real moment
// (month 13, February 30, hour 24).
bool ParseUtcTime(std::string_view text, UtcSeconds& time);

}  // namespace quibo
