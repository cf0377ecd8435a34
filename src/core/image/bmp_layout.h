// Where the parts of a BMP picture lie in its bytes, checked before any of
// them is used. Pictures come from the configuration package, which a
// publisher writes and a server may replace: every size and offset in the
// headers is measured against the bytes that are really there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quibo {

// Only uncompressed pictures are drawn; bit fields are uncompressed too.
enum class BmpCompression { Rgb, BitFields };

enum class BmpError {
    None,
    NotBmp,             // no "BM" signature, or too short for the headers
    UnsupportedHeader,  // an info header other than the 40, 108 or 124 byte ones
    UnsupportedFormat,  // compressed, or a bit count a picture cannot have
    TooLarge,           // wider or higher than kMaxBmpSide
    Truncated,          // a header, the colour table or the pixels run past the end
};

// Larger pictures are refused: no skin needs them, and a made-up header must
// not make the program allocate gigabytes.
constexpr std::int32_t kMaxBmpSide = 4096;

struct BmpLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;     // always positive
    bool topDown = false;        // the header's height was negative
    std::uint16_t bitCount = 0;  // 1, 4, 8, 16, 24 or 32
    BmpCompression compression = BmpCompression::Rgb;
    std::size_t infoOffset = 0;  // the info header (BITMAPINFOHEADER and its successors)
    std::size_t infoSize = 0;
    std::size_t colorTableOffset = 0;  // bit masks (if any) and palette follow the info header
    std::uint32_t paletteEntries = 0;  // RGBQUADs in the colour table
    std::size_t bitsOffset = 0;
    std::size_t bitsSize = 0;  // rows padded to 4 bytes, all of them present
};

struct BmpParse {
    BmpError error = BmpError::None;
    BmpLayout layout;
};

BmpParse ParseBmp(std::string_view bytes);

// A short English description for logs and tests.
const char* BmpErrorText(BmpError error);

}  // namespace quibo
