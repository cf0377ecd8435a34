#include "install/folder_tree.h"

#include <windows.h>

#include "win/system_code_page.h"

namespace quibo {

namespace {

// The absolute form, without a trailing "\"; empty on failure.
std::wstring FullPath(const std::wstring& path)
{
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    full.resize(n);
    while (full.size() > 1 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

// "C:" or "\\server\share": removing it would mean a whole drive.
bool IsRoot(const std::wstring& full)
{
    if (full.size() <= 2) return true;
    if (full.compare(0, 2, L"\\\\") != 0) return false;
    size_t slashes = 0;
    for (size_t i = 2; i < full.size(); ++i)
        if (full[i] == L'\\') ++slashes;
    return slashes <= 1;
}

// The "\\?\" form lifts the 260-character limit of the file functions.
std::wstring LongForm(const std::wstring& full)
{
    if (full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Removes a link itself, whatever it points to.
bool RemoveLink(const std::wstring& path, DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path.c_str()) != 0
                                                   : ::DeleteFileW(path.c_str()) != 0;
}

bool RemoveFile(const std::wstring& path, DWORD attributes, ReadOnlyFiles readOnly)
{
    if ((attributes & FILE_ATTRIBUTE_READONLY) && readOnly == ReadOnlyFiles::Removed)
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path.c_str()) != 0;
}

bool RemoveTree(const std::wstring& folder, ReadOnlyFiles readOnly)
{
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring entry = folder + L"\\" + name;
            if (IsLink(found.dwFileAttributes))
                RemoveLink(entry, found.dwFileAttributes);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(entry, readOnly);
            else
                RemoveFile(entry, found.dwFileAttributes, readOnly);
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    return ::RemoveDirectoryW(folder.c_str()) != 0;
}

}  // namespace

bool DeleteFolderTree(const std::string& path, ReadOnlyFiles readOnly)
{
    if (path.empty()) return false;
    const std::wstring full = FullPath(WideFromSystem(path));
    if (full.empty() || IsRoot(full)) return false;
    const std::wstring folder = LongForm(full);
    // The entry's own attributes, as a listing of its parent gives them: they
    // tell a link from a folder without going through the link.
    WIN32_FIND_DATAW self;
    HANDLE find = ::FindFirstFileW(folder.c_str(), &self);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    const DWORD attributes = self.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (IsLink(attributes)) return RemoveLink(folder, attributes);
    return RemoveTree(folder, readOnly);
}

}  // namespace quibo
