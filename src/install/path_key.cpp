#include "install/path_key.h"

#include <windows.h>

namespace quibo {

std::wstring PathKey(const std::string& path)
{
    std::wstring wide;
    const int size = static_cast<int>(path.size());
    int n = path.empty() ? 0 : ::MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
    if (n > 0) {
        wide.resize(static_cast<size_t>(n));
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), size, &wide[0], n);
        ::CharUpperBuffW(&wide[0], static_cast<DWORD>(n));
    }
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

}  // namespace quibo
