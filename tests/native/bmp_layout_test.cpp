// Every size and offset of a BMP header is checked against the bytes there.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/image/bmp_layout.h"

using namespace quibo;

namespace {

// A BMP picture built field by field; Bytes() writes headers, table and pixels.
struct Picture {
    std::uint32_t infoSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t tableBytes = 0;  // masks and palette written after the info header
    std::int64_t pixelBytes = -1;  // -1: exactly what the rows need
    std::int64_t offBits = -1;     // -1: right after the table
    std::string signature = "BM";

    std::string Bytes() const
    {
        const std::uint64_t stride =
            (static_cast<std::uint64_t>(width > 0 ? width : 0) * bitCount + 31) / 32 * 4;
        const std::uint64_t rows =
            static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
        const std::uint64_t pixels = pixelBytes >= 0 ? static_cast<std::uint64_t>(pixelBytes) : stride * rows;
        const std::uint32_t start = 14 + infoSize + tableBytes;
        std::string b = signature;
        Put32(b, static_cast<std::uint32_t>(start + pixels));
        Put32(b, 0);
        Put32(b, offBits >= 0 ? static_cast<std::uint32_t>(offBits) : start);
        Put32(b, infoSize);
        Put32(b, static_cast<std::uint32_t>(width));
        Put32(b, static_cast<std::uint32_t>(height));
        Put16(b, planes);
        Put16(b, bitCount);
        Put32(b, compression);
        Put32(b, 0);  // image size
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, colorsUsed);
        Put32(b, 0);
        b.resize(14 + (infoSize <= 124 ? infoSize : 40), '\0');
        b.append(tableBytes, '\x11');
        b.append(static_cast<std::size_t>(pixels), '\x22');
        return b;
    }

    static void Put16(std::string& b, std::uint32_t v)
    {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8 & 0xFF);
    }
    static void Put32(std::string& b, std::uint32_t v)
    {
        Put16(b, v & 0xFFFF);
        Put16(b, v >> 16);
    }
};

// The default picture with one change.
template <typename Change>
Picture with(Change change)
{
    Picture p;
    change(p);
    return p;
}

}  // namespace

TEST(BmpLayout, AcceptedPicturesAreLaidOutFromTheirHeaders)
{
    struct Case {
        const char* what;
        Picture picture;
        std::size_t bitsOffset, bitsSize;
        std::uint32_t paletteEntries;
        bool topDown;
    };
    const Case cases[] = {
        {"24-bit, rows padded to 4 bytes", Picture{}, 54, 16, 0, false},
        {"8-bit with a full palette", with([](Picture& p) {
             p.bitCount = 8;
             p.tableBytes = 1024;
         }),
         54 + 1024, 8, 256, false},
        {"8-bit with two colours used", with([](Picture& p) {
             p.bitCount = 8;
             p.colorsUsed = 2;
             p.tableBytes = 8;
         }),
         54 + 8, 8, 2, false},
        {"1-bit, 33 wide: two words a row", with([](Picture& p) {
             p.bitCount = 1;
             p.width = 33;
             p.tableBytes = 8;
         }),
         54 + 8, 16, 2, false},
        {"32-bit bit fields after a 40-byte header", with([](Picture& p) {
             p.bitCount = 32;
             p.compression = 3;
             p.tableBytes = 12;
         }),
         54 + 12, 16, 0, false},
        {"32-bit bit fields in a 124-byte header", with([](Picture& p) {
             p.bitCount = 32;
             p.compression = 3;
             p.infoSize = 124;
         }),
         14 + 124, 16, 0, false},
        {"top-down rows", with([](Picture& p) { p.height = -2; }), 54, 16, 0, true},
        {"pixels where the file header says, past a gap", with([](Picture& p) {
             p.tableBytes = 10;
             p.offBits = 64;
         }),
         64, 16, 0, false},
        {"a file header pointing into the headers: right after the table",
         with([](Picture& p) { p.offBits = 20; }), 54, 16, 0, false},
        {"the largest side allowed", with([](Picture& p) {
             p.width = 4096;
             p.height = 1;
         }),
         54, 4096 * 3, 0, false},
    };
    for (const Case& c : cases) {
        const std::string bytes = c.picture.Bytes();
        BmpParse parse = ParseBmp(bytes);
        ASSERT_EQ(parse.error, BmpError::None) << c.what << ": " << BmpErrorText(parse.error);
        EXPECT_EQ(parse.layout.bitsOffset, c.bitsOffset) << c.what;
        EXPECT_EQ(parse.layout.bitsSize, c.bitsSize) << c.what;
        EXPECT_EQ(parse.layout.paletteEntries, c.paletteEntries) << c.what;
        EXPECT_EQ(parse.layout.topDown, c.topDown) << c.what;
        EXPECT_GT(parse.layout.height, 0) << c.what;
        EXPECT_LE(parse.layout.bitsOffset + parse.layout.bitsSize, bytes.size()) << c.what;
    }
}

TEST(BmpLayout, MalformedOrHostileHeadersAreRefusedWithTheirReason)
{
    struct Case {
        const char* what;
        Picture picture;
        std::size_t cut;  // bytes taken off the end
        BmpError error;
    };
    const Case cases[] = {
        {"another signature", with([](Picture& p) { p.signature = "MB"; }), 0, BmpError::NotBmp},
        {"shorter than the info header's size field", Picture{}, 70 - 17, BmpError::NotBmp},
        {"shorter than the info header", Picture{}, 16 + 10, BmpError::Truncated},
        {"an OS/2 core header", with([](Picture& p) { p.infoSize = 12; }), 0, BmpError::UnsupportedHeader},
        {"a huge info header size", with([](Picture& p) { p.infoSize = 0x7FFFFFF0; }), 0,
         BmpError::UnsupportedHeader},
        {"run-length compressed", with([](Picture& p) {
             p.bitCount = 8;
             p.compression = 1;
             p.tableBytes = 1024;
         }),
         0, BmpError::UnsupportedFormat},
        {"bit fields on 24 bits", with([](Picture& p) {
             p.compression = 3;
             p.tableBytes = 12;
         }),
         0, BmpError::UnsupportedFormat},
        {"JPEG inside", with([](Picture& p) { p.compression = 4; }), 0, BmpError::UnsupportedFormat},
        {"seven bits a pixel", with([](Picture& p) { p.bitCount = 7; }), 0, BmpError::UnsupportedFormat},
        {"two planes", with([](Picture& p) { p.planes = 2; }), 0, BmpError::UnsupportedFormat},
        {"zero wide", with([](Picture& p) { p.width = 0; }), 0, BmpError::UnsupportedFormat},
        {"negative width", with([](Picture& p) { p.width = -2; }), 0, BmpError::UnsupportedFormat},
        {"zero high", with([](Picture& p) { p.height = 0; }), 0, BmpError::UnsupportedFormat},
        {"the most negative height", with([](Picture& p) {
             p.height = INT32_MIN;
             p.pixelBytes = 0;
         }),
         0, BmpError::UnsupportedFormat},
        {"more palette entries than 8 bits address", with([](Picture& p) {
             p.bitCount = 8;
             p.colorsUsed = 257;
             p.tableBytes = 1028;
         }),
         0, BmpError::UnsupportedFormat},
        {"one pixel too wide", with([](Picture& p) {
             p.width = 4097;
             p.pixelBytes = 0;
         }),
         0, BmpError::TooLarge},
        {"one pixel too high", with([](Picture& p) {
             p.height = 4097;
             p.pixelBytes = 0;
         }),
         0, BmpError::TooLarge},
        {"4096 x 4096 at 32 bits in a few bytes", with([](Picture& p) {
             p.width = p.height = 4096;
             p.bitCount = 32;
             p.pixelBytes = 16;
         }),
         0, BmpError::Truncated},
        {"the last pixel byte missing", Picture{}, 1, BmpError::Truncated},
        {"the palette cut short", with([](Picture& p) {
             p.bitCount = 8;
             p.tableBytes = 100;
             p.pixelBytes = 0;
         }),
         0, BmpError::Truncated},
        {"masks missing after a 40-byte header", with([](Picture& p) {
             p.bitCount = 32;
             p.compression = 3;
             p.pixelBytes = 8;
         }),
         0, BmpError::Truncated},
        {"pixels said to start past the end", with([](Picture& p) { p.offBits = 0x7FFFFFFF; }), 0,
         BmpError::Truncated},
        {"the 124-byte header itself cut", with([](Picture& p) {
             p.infoSize = 124;
             p.pixelBytes = 0;
         }),
         70, BmpError::Truncated},
    };
    for (const Case& c : cases) {
        std::string bytes = c.picture.Bytes();
        bytes.resize(bytes.size() - c.cut);
        EXPECT_EQ(ParseBmp(bytes).error, c.error)
            << c.what << ": got " << BmpErrorText(ParseBmp(bytes).error);
    }
}
