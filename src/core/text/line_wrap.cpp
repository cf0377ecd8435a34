#include "core/text/line_wrap.h"

#include <cassert>

namespace quibo {

namespace {

// Where the last character of a non-empty `text` starts.
size_t LastCharStart(std::string_view text, LeadByteRule lead)
{
    size_t start = 0;
    for (size_t pos = 0; pos < text.size(); pos = NextCharPos(text, pos, lead)) start = pos;
    return start;
}

// Chinese punctuation that closes what comes before it: 。，、；：？！）」』》”’
// as code page 936 bytes (the texts of a skin are in the system code page).
bool IsClosingPunctuation(std::string_view ch, LeadByteRule lead)
{
    if (ch.size() != 2 || !lead.IsLead(static_cast<unsigned char>(ch[0]))) return false;
    static const char* const kClosing[] = {"\xA1\xA3", "\xA3\xAC", "\xA1\xA2", "\xA3\xBB", "\xA3\xBA",
                                           "\xA3\xBF", "\xA3\xA1", "\xA3\xA9", "\xA1\xB9", "\xA1\xBB",
                                           "\xA1\xB7", "\xA1\xB1", "\xA1\xAF"};
    for (const char* mark : kClosing)
        if (ch == mark) return true;
    return false;
}

}  // namespace

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
        } else if (IsClosingPunctuation(ch, lead) && LastCharStart(line, lead) > 0) {
            // A line never begins with a full stop or a closing mark: the
            // last character of this line goes along with it.
            const size_t last = LastCharStart(line, lead);
            std::string rest = line.substr(last);
            line.resize(last);
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
