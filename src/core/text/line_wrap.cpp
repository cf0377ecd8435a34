#include "core/text/line_wrap.h"

#include <cassert>

namespace quibo {

std::vector<std::string> WrapLines(std::string_view text, int width, const MeasureText& measure,
                                   LeadByteRule lead)
{
    std::vector<std::string> lines;
    std::string line;
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') {
            // CR LF and LF CR are one break; a lone CR or LF is one too.
            const char other = c == '\r' ? '\n' : '\r';
            pos += (pos + 1 < text.size() && text[pos + 1] == other) ? 2 : 1;
            lines.push_back(std::move(line));
            line.clear();
            continue;
        }
        const size_t next = NextCharPos(text, pos, lead);
        const std::string_view ch = text.substr(pos, next - pos);
        std::string wider = line + std::string(ch);
        if (line.empty() || measure(wider) <= width) {
            line = std::move(wider);
            pos = next;
            continue;
        }
        // Too wide: break at the last space when the line has one inside it.
        const size_t space = line.rfind(' ');
        if (space != std::string::npos && space > 0 && line.back() != ' ') {
            std::string rest = line.substr(space + 1);
            line.resize(space);
            lines.push_back(std::move(line));
            line = std::move(rest);
        } else {
            lines.push_back(std::move(line));
            line.clear();
        }
        // The character is placed in the next round, on the new line.
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    assert(!lines.empty());
    return lines;
}

}  // namespace quibo
