#include "download/ftp_listing.h"

#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "core/text/match_filter.h"
#include "core/transfer/download_names.h"

namespace quibo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// `folder` below `root`, without one leading and one trailing separator.
std::string Subfolder(const std::string& root, const std::string& folder)
{
    std::string sub = folder.size() > root.size() ? folder.substr(root.size()) : std::string();
    if (!sub.empty() && IsSeparator(sub.front())) sub.erase(0, 1);
    if (EndsWithChar(sub, '\\') || EndsWithChar(sub, '/')) sub.pop_back();
    return sub;
}

std::string JoinRemote(const std::string& folder, const std::string& name)
{
    return EndsWithChar(folder, '/') ? folder + name : folder + "/" + name;
}

// Wine answers an empty folder without an error code, Windows with "no more
// files"; anything else means the listing broke off.
bool IsEndOfListing(DWORD error) { return error == ERROR_NO_MORE_FILES || error == ERROR_SUCCESS; }

// Reads the folder's entries: records for the matching files, full paths of
// the subfolders. False when the listing itself failed.
bool ReadFolder(HINTERNET connection, const std::string& root, const std::string& folder,
                std::vector<DownloadRecord>& records, const std::string& filter,
                std::vector<std::string>& subfolders)
{
    WIN32_FIND_DATAA found{};
    UniqueInternetHandle find(::FtpFindFirstFileA(connection, nullptr, &found, INTERNET_FLAG_RELOAD, 0));
    if (!find) return IsEndOfListing(::GetLastError());  // an empty folder
    do {
        std::string name = found.cFileName;
        // Other names that could lead out of a folder are listed as they
        // are: the download refuses the whole item for them, since a
        // product missing one of its files must not be installed.
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(JoinRemote(folder, name));
        } else if (MatchFilter(filter, name)) {
            records.push_back(
                {Subfolder(root, folder), name, FlattenedName(folder, name), found.nFileSizeLow});
        }
    } while (::InternetFindNextFileA(find.Get(), &found));
    return IsEndOfListing(::GetLastError());
}

enum class Listing { Done, FolderFailed, TooDeep };

Listing ListTree(FtpConnection& ftp, const std::string& root, const std::string& folder,
                 std::vector<DownloadRecord>& records, const std::string& filter, bool includeSubfolders,
                 int depthLeft)
{
    ftp.ForgetFolder();
    std::vector<std::string> subfolders;
    // The server's top folder may come without its "/".
    const std::string where = folder.empty() ? "/" : folder;
    if (!::FtpSetCurrentDirectoryA(ftp.Handle(), where.c_str()) ||
        !ReadFolder(ftp.Handle(), root, folder, records, filter, subfolders)) {
        WriteLog("无法打开服务器文件夹：" + folder);
        return Listing::FolderFailed;
    }
    if (!includeSubfolders) return Listing::Done;
    for (const std::string& subfolder : subfolders) {
        if (depthLeft == 0) {
            WriteLog("错误：服务器文件夹层次太深：" + subfolder);
            return Listing::TooDeep;
        }
        // A subfolder that cannot be opened fails the whole listing: the
        // product would be installed without its files.
        const Listing listed = ListTree(ftp, root, subfolder, records, filter, true, depthLeft - 1);
        if (listed != Listing::Done) return listed;
    }
    return Listing::Done;
}

}  // namespace

bool ListFtpFolder(FtpConnection& ftp, const std::string& root, const std::string& folder,
                   std::vector<DownloadRecord>& records, const std::string& filter, bool includeSubfolders,
                   int maxDepth)
{
    const size_t before = records.size();
    if (ListTree(ftp, root, folder, records, filter, includeSubfolders, maxDepth) == Listing::Done)
        return true;
    records.resize(before);  // a listing cut short names no files
    return false;
}

}  // namespace quibo
