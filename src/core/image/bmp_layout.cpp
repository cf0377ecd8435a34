#include "core/image/bmp_layout.h"

#include <cstdlib>

namespace quibo {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitFields = 3;

std::uint32_t U16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}

std::uint32_t U32(std::string_view b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

std::int32_t I32(std::string_view b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }

bool KnownBitCount(std::uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

BmpParse ParseBmp(std::string_view bytes)
{
    BmpParse result;
    BmpLayout& l = result.layout;
    auto fail = [&result](BmpError e) {
        result.error = e;
        return result;
    };
    if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(BmpError::NotBmp);

    l.infoOffset = kFileHeaderSize;
    l.infoSize = U32(bytes, kFileHeaderSize);
    if (l.infoSize != 40 && l.infoSize != 108 && l.infoSize != 124) return fail(BmpError::UnsupportedHeader);
    if (bytes.size() < kFileHeaderSize + l.infoSize) return fail(BmpError::Truncated);

    const std::int32_t width = I32(bytes, 18);
    const std::int32_t height = I32(bytes, 22);
    const std::uint32_t planes = U16(bytes, 26);
    const std::uint32_t bitCount = U16(bytes, 28);
    const std::uint32_t compression = U32(bytes, 30);
    const std::uint32_t colorsUsed = U32(bytes, 46);

    if (planes != 1 || !KnownBitCount(bitCount)) return fail(BmpError::UnsupportedFormat);
    if (compression == kBiBitFields && (bitCount == 16 || bitCount == 32)) {
        l.compression = BmpCompression::BitFields;
    } else if (compression != kBiRgb) {
        return fail(BmpError::UnsupportedFormat);
    }
    // INT32_MIN has no positive counterpart: it is simply too large.
    if (width <= 0 || height == 0 || height == INT32_MIN) return fail(BmpError::UnsupportedFormat);
    l.width = width;
    l.height = std::abs(height);
    l.topDown = height < 0;
    if (l.width > kMaxBmpSide || l.height > kMaxBmpSide) return fail(BmpError::TooLarge);
    l.bitCount = static_cast<std::uint16_t>(bitCount);

    // The colour table: three masks after a 40-byte header with bit fields
    // (the larger headers hold them inside), then the palette. Pictures of up
    // to 8 bits always have one; a palette larger than the bit count can
    // address is refused.
    const std::uint64_t maxEntries = bitCount <= 8 ? (1u << bitCount) : 256u;
    if (colorsUsed > maxEntries) return fail(BmpError::UnsupportedFormat);
    l.paletteEntries = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? (1u << bitCount) : 0u);
    l.colorTableOffset = kFileHeaderSize + l.infoSize;
    std::uint64_t tableEnd = l.colorTableOffset + 4ull * l.paletteEntries;
    if (l.compression == BmpCompression::BitFields && l.infoSize == 40) tableEnd += 12;
    if (tableEnd > bytes.size()) return fail(BmpError::Truncated);

    // The pixels start where the file header says, unless that points into
    // the headers; then right after the colour table.
    const std::uint64_t declared = U32(bytes, 10);
    const std::uint64_t bitsOffset = declared >= tableEnd ? declared : tableEnd;
    const std::uint64_t stride = (static_cast<std::uint64_t>(l.width) * bitCount + 31) / 32 * 4;
    const std::uint64_t bitsSize = stride * static_cast<std::uint64_t>(l.height);
    if (bitsOffset > bytes.size() || bitsSize > bytes.size() - bitsOffset) return fail(BmpError::Truncated);
    l.bitsOffset = static_cast<std::size_t>(bitsOffset);
    l.bitsSize = static_cast<std::size_t>(bitsSize);
    return result;
}

const char* BmpErrorText(BmpError error)
{
    switch (error) {
    case BmpError::None: return "a picture";
    case BmpError::NotBmp: return "not a BMP picture";
    case BmpError::UnsupportedHeader: return "an info header of unknown size";
    case BmpError::UnsupportedFormat: return "a compressed or malformed picture";
    case BmpError::TooLarge: return "larger than 4096 x 4096";
    case BmpError::Truncated: return "cut short";
    }
    return "";
}

}  // namespace quibo
