#include "publish/folder_item_list.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/text/match_filter.h"
#include "publish/openssl_crypto.h"
#include "publish/publish_text.h"

namespace quibo::publish {

namespace fs = std::filesystem;

namespace {

bool ListTree(const fs::path& folder, const std::string& prefix, const std::string& filter, bool includeSubfolders,
              ReleaseCrypto& crypto, std::vector<ListedFile>& files, std::string& error)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<std::string> name = Utf8ToCp936(it->path().filename().string());
        if (!name) {
            error = it->path().string() + ": not a name code page 936 can hold";
            return false;
        }
        // Subfolders are walked as the client walks them: only when the
        // item includes them.
        if (it->is_directory(ec)) {
            if (includeSubfolders &&
                !ListTree(it->path(), prefix + *name + "\\", filter, true, crypto, files, error))
                return false;
            continue;
        }
        if (!MatchFilter(filter, *name, TextCharset::CodePage936)) continue;
        ListedFile file;
        file.name = prefix + *name;
        if (!FileSha256(it->path().string(), crypto, file.sha256, file.size)) {
            error = "cannot read " + it->path().string();
            return false;
        }
        files.push_back(std::move(file));
    }
    if (ec) error = "cannot read the folder " + folder.string() + ": " + ec.message();
    return !ec;
}

}  // namespace

bool ListFolderItem(const std::string& folder, const std::string& filter, bool includeSubfolders,
                    ReleaseCrypto& crypto, std::vector<ListedFile>& files, std::string& error)
{
    files.clear();
    if (!ListTree(folder, "", filter, includeSubfolders, crypto, files, error)) return false;
    std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
    return true;
}

}  // namespace quibo::publish
