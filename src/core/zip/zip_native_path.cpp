#include "core/zip/zip_native_path.h"

#ifdef _WIN32
#include <locale.h>  // the C runtime's _create_locale
#include <stdlib.h>  // and _mbstowcs_l
#endif

std::filesystem::path NativePath(const std::string& bytes) {
#ifdef _WIN32
    // Windows paths are UTF-16. Our 8-bit strings are in the system's ANSI
    // code page, as for the file functions' "A" forms; std::filesystem would
    // convert with whatever locale the C library was left in (by default one
    // that maps each byte to itself), so convert here, explicitly.
    static const _locale_t ansi = _create_locale(LC_CTYPE, "");
    if (ansi && !bytes.empty()) {
        std::size_t n = _mbstowcs_l(nullptr, bytes.c_str(), 0, ansi);
        if (n != static_cast<std::size_t>(-1)) {
            std::wstring wide(n, L'\0');
            _mbstowcs_l(&wide[0], bytes.c_str(), n, ansi);
            return std::filesystem::path(wide);
        }
    }
#endif
    return std::filesystem::path(bytes);
}
