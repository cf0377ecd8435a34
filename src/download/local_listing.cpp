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

bool ListTree(const std::string& root, const std::string& folder, std::vector<DownloadRecord>& records,
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
    // Only a drive's empty root has no entry at all; anything else that ends
    // the enumeration before its last entry leaves files out.
    DWORD end = ::GetLastError();
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
        end = ::GetLastError();
        ::FindClose(find);
    }
    if (end != ERROR_NO_MORE_FILES && end != ERROR_FILE_NOT_FOUND) {
        WriteLog("无法读取文件夹：" + folder);
        return false;
    }
    // A subfolder that cannot be read fails the whole listing: the product
    // would be installed without its files.
    if (includeSubfolders)
        for (const std::string& subfolder : subfolders)
            if (!ListTree(root, subfolder, records, filter, true, rule)) return false;
    return true;
}

}  // namespace

bool ListLocalFolder(const std::string& root, const std::string& folder, std::vector<DownloadRecord>& records,
                     const std::string& filter, bool includeSubfolders, LeadByteRule rule)
{
    const size_t before = records.size();
    if (ListTree(root, folder, records, filter, includeSubfolders, rule)) return true;
    records.resize(before);  // a listing cut short names no files
    return false;
}

}  // namespace quibo
