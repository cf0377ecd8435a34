#include "core/text/split.h"

#include "core/text/code_page.h"
#include "core/text/trim.h"

namespace quibo {

std::vector<std::string> SplitString(std::string_view text, std::string_view separator)
{
    std::vector<std::string> pieces;
    text = Trim(text);
    size_t start = 0;
    while (start <= text.size()) {
        size_t hit = separator.empty() ? std::string_view::npos : FindText(text, separator, start);
        size_t end = hit == std::string_view::npos ? text.size() : hit;
        std::string_view piece = Trim(text.substr(start, end - start));
        if (!piece.empty()) pieces.emplace_back(piece);
        if (hit == std::string_view::npos) break;
        start = hit + separator.size();
    }
    return pieces;
}

}  // namespace quibo
