// The banner that opens the log of every run: product name and version.
#pragma once

#include <string_view>

namespace quibo {

void WriteRunBanner(std::string_view productName, std::string_view versionText);

}  // namespace quibo
