// Comparing dotted version strings such as "1.10.2" component by component,
// each component a decimal number ("0.0.0" stands for no version).
#pragma once

#include <string_view>

namespace quibo {

// True when `candidate` is newer than `reference`. Components are read like
// atoi (blanks skipped, reading stops at a non-digit, no digits give 0). A
// reference shorter than the candidate counts its missing components as 0;
// where the candidate is the shorter one, only the reference's next component
// is compared, so "1.2" is not newer than "1.2.5".
bool IsVersionNewer(std::string_view candidate, std::string_view reference);

}  // namespace quibo
