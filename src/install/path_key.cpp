#include "install/path_key.h"

#include <windows.h>

#include "win/system_code_page.h"

namespace quibo {

std::wstring PathKey(const std::string& path)
{
    std::wstring wide = WideFromSystem(path);
    if (!wide.empty()) ::CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

}  // namespace quibo
