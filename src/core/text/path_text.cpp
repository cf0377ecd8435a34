#include "core/text/path_text.h"

#include "core/text/trim.h"

namespace quibo {

std::string EnsureTrailingBackslash(std::string_view path, LeadByteRule rule)
{
    std::string result(Trim(path));
    // A path of blanks alone is no path, not the root of the current drive.
    if (result.empty()) return result;
    if (!EndsWithChar(result, '\\', rule)) result += '\\';
    return result;
}

std::string_view StripTrailingBackslash(std::string_view path, LeadByteRule rule)
{
    if (EndsWithChar(path, '\\', rule)) path.remove_suffix(1);
    return path;
}

}  // namespace quibo
