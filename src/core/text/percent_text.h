// The text a progress cell shows on its bar.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

// `format` with "%d" replaced by `value` and "%%" by "%"; an empty format
// means "%d%%". Any other "%" is kept as written: the format is never handed
// to printf, so no format can read arguments that are not there.
std::string FormatProgressText(std::string_view format, int value);

}  // namespace quibo
