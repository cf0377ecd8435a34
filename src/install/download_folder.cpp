#include "install/download_folder.h"

#include <windows.h>

#include "core/text/code_page.h"
#include "install/folder_tree.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

// Another product's run may remove the shared parent between our making it
// and making our folder in it; a few tries outlast such a race.
constexpr int kPrepareTries = 3;

std::string WithoutSeparator(const std::string& folder)
{
    return EndsWithChar(folder, '\\', SystemLeadBytes()) ? folder.substr(0, folder.size() - 1) : folder;
}

std::string ParentOf(const std::string& path)
{
    const size_t cut = FindLastChar(path, '\\', SystemLeadBytes());
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The entry's own attributes as its parent's listing gives them, which
// never go through a link; false when nothing stands there.
bool EntryAttributes(const std::string& path, DWORD& attributes)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    attributes = found.dwFileAttributes;
    return true;
}

bool IsPlainFolder(const std::string& path)
{
    DWORD attributes = 0;
    return EntryAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link goes as itself, a folder with all it holds, a file even when
// read-only; true when nothing stands at `path` afterwards.
bool RemoveEntry(const std::string& path)
{
    DWORD attributes = 0;
    if (!EntryAttributes(path, attributes)) return true;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            ::RemoveDirectoryA(path.c_str());
        else
            ::DeleteFileA(path.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(path, ReadOnlyFiles::Removed);
    } else {
        if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
    return !EntryAttributes(path, attributes);
}

}  // namespace

bool PrepareDownloadFolder(const std::string& folder)
{
    const std::string own = WithoutSeparator(folder);
    const std::string root = ParentOf(own);
    if (root.empty()) return false;
    for (int attempt = 0; attempt < kPrepareTries; ++attempt) {
        // The shared parent stays when it is a plain folder: other
        // products' downloads may be in it.
        if (!IsPlainFolder(root)) {
            if (!RemoveEntry(root)) return false;
            ::CreateDirectoryA(root.c_str(), nullptr);
            if (!IsPlainFolder(root)) continue;
        }
        if (!RemoveEntry(own)) return false;
        if (::CreateDirectoryA(own.c_str(), nullptr) && IsPlainFolder(own)) return true;
    }
    return false;
}

void RemoveDownloadFolder(const std::string& folder)
{
    const std::string own = WithoutSeparator(folder);
    DeleteFolderTree(own);
    // Removing a folder only succeeds when it is empty; a link there is
    // none of ours.
    const std::string root = ParentOf(own);
    if (!root.empty() && IsPlainFolder(root)) ::RemoveDirectoryA(root.c_str());
}

}  // namespace quibo
