#include "download/local_listing.h"

#include <windows.h>

#include "core/log/run_log.h"
#include "core/text/match_filter.h"
#include "core/transfer/download_names.h"
#include "win/folder_path.h"

namespace quibo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// `folder` below `root`, without one leading and one trailing separator.
std::string Subfolder(const std::string& root, const std::string& folder, LeadByteRule rule)
{
    std::string sub = folder.size() > root.size() ? folder.substr(root.size()) : std::string();
    if (!sub.empty() && IsSeparator(sub.front())) sub.erase(0, 1);
    if (EndsWithChar(sub, '\\', rule) || EndsWithChar(sub, '/', rule)) sub.pop_back();
    return sub;
}

}  // namespace

bool ListLocalFolder(const std::string& root, const std::string& folder, std::vector<DownloadRecord>& records,
                     const std::string& filter, bool includeSubfolders, LeadByteRule rule)
{
    if (!IsFolder(folder)) {
        WriteLog("不存在文件夹：" + folder);
        return false;
    }
    const bool endsWithSeparator = EndsWithChar(folder, '\\', rule);
    const std::string pattern = endsWithSeparator ? folder + "*.*" : folder + "\\*.*";
    std::vector<std::string> subfolders;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = endsWithSeparator ? folder + name : folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) subfolders.push_back(path);
            } else if (MatchFilter(filter, name)) {
                records.push_back(
                    {Subfolder(root, folder, rule), name, FlattenedName(folder, name, rule), found.nFileSizeLow});
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    if (includeSubfolders)
        for (const std::string& subfolder : subfolders)
            ListLocalFolder(root, subfolder, records, filter, true, rule);
    return true;
}

}  // namespace quibo
