#include "win/module_info.h"

#include <windows.h>

#include "core/startup/program_names.h"
#include "win/system_code_page.h"

#include <cstdio>
#include <vector>

namespace quibo {

namespace {

std::vector<BYTE> ReadVersionResource(const std::string& path)
{
    DWORD unused = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &unused);
    std::vector<BYTE> data(size);
    if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, data.data())) data.clear();
    return data;
}

}  // namespace

std::string GetModulePath()
{
    char path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::string GetProductName(const std::string& path)
{
    std::vector<BYTE> data = ReadVersionResource(path);
    if (data.empty()) return {};

    struct LangCodePage {
        WORD language;
        WORD codePage;
    };
    LangCodePage* table = nullptr;
    UINT tableBytes = 0;
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table),
                          &tableBytes) ||
        tableBytes < sizeof(LangCodePage))
        return {};

    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductName", table->language,
                  table->codePage);
    char* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length) || length == 0)
        return {};
    return std::string(value);
}

std::string GetFileVersionText(const std::string& path)
{
    std::vector<BYTE> data = ReadVersionResource(path);
    if (data.empty()) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
        length < sizeof *info)
        return {};
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS));
}

std::string AppTitle()
{
    std::string name = SplitModulePath(GetModulePath(), SystemLeadBytes()).fileName;
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace quibo
