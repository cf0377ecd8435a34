#include "core/zip/zip_native_path.h"

#ifdef _WIN32
// Only the declaration of the conversion, not the whole of Windows: the rest
// of the portable core never sees a Windows header.
#include <stringapiset.h>
#endif

namespace quibo {

std::filesystem::path NativePath(const std::string& bytes)
{
#ifdef _WIN32
    // Windows paths are UTF-16. Our 8-bit paths are in the system's ANSI code
    // page, the one every "A" function reads them with, so convert with that.
    // Not with the C runtime's locale: it follows the user's format setting,
    // which can name another code page (English formats on a Chinese system).
    // std::filesystem itself would map each byte to the same code unit.
    if (!bytes.empty()) {
        const int size = static_cast<int>(bytes.size());
        int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        if (n > 0) {
            std::wstring wide(static_cast<std::size_t>(n), L'\0');
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], n);
            return std::filesystem::path(wide);
        }
    }
#endif
    return std::filesystem::path(bytes);
}

std::filesystem::path NativePathFromUtf8(const std::string& utf8)
{
    // UTF-16 on Windows, the bytes themselves elsewhere.
    return std::filesystem::u8path(utf8);
}

}  // namespace quibo
