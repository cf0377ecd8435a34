#include "core/startup/self_update_lines.h"

#include <vector>

#include "core/config/update_item.h"
#include "core/text/case_fold.h"
#include "core/text/split.h"
#include "core/text/trim.h"

namespace quibo {

std::string HandOverArguments(std::string_view ownArguments, long hostWindow, int itemIndex,
                              std::string_view serverVersion)
{
    std::string line(Trim(ownArguments));
    if (!line.empty()) line += ' ';
    if (hostWindow != 0) line += "/HWND:" + std::to_string(hostWindow) + ' ';
    line += "/self_update:" + std::to_string(itemIndex) + '-';
    line += serverVersion;
    return line;
}

std::string FinishArguments(std::string_view copyArguments, LeadByteRule rule)
{
    static const std::string kFrom = "self_update";
    static const std::string kTo = "self_finish";
    std::string line = ToLowerAscii(copyArguments, rule);
    for (size_t at = FindText(line, kFrom, 0, rule); at != std::string::npos;
         at = FindText(line, kFrom, at + kTo.size(), rule))
        line.replace(at, kFrom.size(), kTo);
    return line;
}

std::optional<SelfVersionRecord> ReadHandOverValue(std::string_view value)
{
    std::vector<std::string> pieces = SplitString(value, "-");
    if (pieces.size() != 2) return std::nullopt;
    const std::string& item = pieces[0];
    // Only a file item's own number: the line is outside text to whoever
    // starts the copy by hand.
    if (item.size() > 2 || item.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(item) >= kFileItemCount)
        return std::nullopt;
    return SelfVersionRecord{"file" + std::to_string(std::stoi(item)), pieces[1]};
}

}  // namespace quibo
