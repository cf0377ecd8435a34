#include "core/signing/folder_list.h"

#include <set>

#include "core/signing/hex_text.h"
#include "core/signing/release_crypto.h"
#include "core/text/case_fold.h"
#include "core/text/decimal.h"
#include "core/text/safe_name.h"

namespace quibo {

namespace {

constexpr TextCharset kListCharset = TextCharset::CodePage936;

// Every part between "\" (found at character starts) a plain name.
bool IsRelativeName(std::string_view name)
{
    if (name.empty()) return false;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= name.size();) {
        if (pos == name.size() || name[pos] == '\\') {
            if (!IsPlainName(name.substr(start, pos - start), kListCharset)) return false;
            start = pos + 1;
            if (pos == name.size()) break;
            ++pos;
            continue;
        }
        pos = NextCharPos(name, pos, kListCharset);
    }
    return true;
}

}  // namespace

std::string FolderListMember(int index) { return "dir" + std::to_string(index) + ".lst"; }

std::string FormatFolderList(const std::vector<ListedFile>& files)
{
    std::string text;
    for (const ListedFile& file : files) text += file.sha256 + " " + std::to_string(file.size) + " " + file.name + "\r\n";
    return text;
}

bool ParseFolderList(std::string_view text, std::vector<ListedFile>& files, std::string& error)
{
    files.clear();
    error.clear();
    std::set<std::string> seen;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::size_t first = line.find(' ');
        const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
        Sha256Digest digest{};
        ListedFile file;
        if (second == std::string_view::npos || !FromHex(line.substr(0, first), digest) ||
            !ParseDigits(line.substr(first + 1, second - first - 1), file.size)) {
            error = where + "not \"<sha256> <size> <name>\"";
            return false;
        }
        file.sha256 = ToHex(digest);
        file.name = std::string(line.substr(second + 1));
        if (!IsRelativeName(file.name)) {
            error = where + "not a relative file name";
            return false;
        }
        if (!seen.insert(ToLowerAscii(file.name, kListCharset)).second) {
            error = where + "a name listed twice";
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

}  // namespace quibo
