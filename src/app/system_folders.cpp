#include "app/system_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace quibo {

namespace {

std::string ShellFolder(int csidl)
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return {};
    char path[MAX_PATH] = {};
    BOOL ok = ::SHGetPathFromIDListA(list, path);
    ::CoTaskMemFree(list);
    return ok ? path : std::string();
}

template <typename Getter>
std::string SystemPath(Getter get)
{
    char path[MAX_PATH] = {};
    UINT n = get(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

}  // namespace

SystemFolders ReadSystemFolders()
{
    SystemFolders f;
    f.windows = SystemPath([](char* p, UINT n) { return ::GetWindowsDirectoryA(p, n); });
    f.system = SystemPath([](char* p, UINT n) { return ::GetSystemDirectoryA(p, n); });
    f.temp = SystemPath([](char* p, UINT n) { return static_cast<UINT>(::GetTempPathA(n, p)); });
    f.programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    f.fonts = ShellFolder(CSIDL_FONTS);
    f.documents = ShellFolder(CSIDL_PERSONAL);
    f.desktop = ShellFolder(CSIDL_DESKTOP);
    return f;
}

}  // namespace quibo
