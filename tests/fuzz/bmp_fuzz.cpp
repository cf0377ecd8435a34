// Pictures from the configuration package: whatever the headers say, an
// accepted layout lies inside the bytes and stays within the size limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/image/bmp_layout.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    BmpParse parse = ParseBmp(bytes);
    if (parse.error != BmpError::None) return 0;
    const BmpLayout& l = parse.layout;
    if (l.width <= 0 || l.height <= 0 || l.width > kMaxBmpSide || l.height > kMaxBmpSide) std::abort();
    if (l.bitsOffset > size || l.bitsSize > size - l.bitsOffset) std::abort();
    if (l.colorTableOffset + 4ull * l.paletteEntries > size) std::abort();
    const std::uint64_t stride = (static_cast<std::uint64_t>(l.width) * l.bitCount + 31) / 32 * 4;
    if (stride * static_cast<std::uint64_t>(l.height) != l.bitsSize) std::abort();
    return 0;
}
