#include "ui/tray_tip.h"

#include "core/text/code_page.h"

namespace quibo {

std::string TrayTipText(std::string_view text)
{
    constexpr TextCharset charset = TextCharset::CodePage936;
    size_t end = 0;
    while (end < text.size()) {
        size_t next = NextCharPos(text, end, charset);
        bool loneLead = next == end + 1 && IsLeadByte(text[end], charset);
        if (next > kMaxTrayTipBytes || loneLead) break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

}  // namespace quibo
