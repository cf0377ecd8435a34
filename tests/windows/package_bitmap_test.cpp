// Skin pictures turned into bitmaps: every format a skin may use comes out
// pixel for pixel, and made-up or damaged files give no bitmap at all.
#include <windows.h>

#include <gtest/gtest.h>

#include "picture_test_support.h"
#include "transfer_test_support.h"
#include "ui/package_bitmap.h"

using namespace quibo;
using transfertest::LogCapture;
using transfertest::ScratchDir;

namespace {

void ExpectPixels(const UniqueBitmap& bitmap, const BmpShape& shape, const std::string& name)
{
    ASSERT_TRUE(bitmap) << name;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels = BitmapPixels(bitmap.Get(), width, height);
    ASSERT_EQ(width, shape.width) << name;
    ASSERT_EQ(height, std::abs(shape.height)) << name;
    ASSERT_FALSE(pixels.empty()) << name;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(pixels[y * width + x], PureColor((x + 3 * y) % shape.colours))
                << name << " at " << x << "," << y;
}

void PutU32(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

TEST(PackageBitmap, EveryUncompressedFormatKeepsItsPixels)
{
    struct Case {
        const char* name;
        BmpShape shape;
    } cases[] = {
        {"1 bit", {5, 3, 1, BI_RGB, 40, 2}},
        {"4 bits", {5, 3, 4, BI_RGB, 40, 8}},
        {"8 bits", {5, 3, 8, BI_RGB, 40, 8}},
        {"16 bits 5-5-5", {5, 3, 16, BI_RGB, 40, 8}},
        {"16 bits 5-6-5 fields", {5, 3, 16, BI_BITFIELDS, 40, 8}},
        {"24 bits", {5, 3, 24, BI_RGB, 40, 8}},
        {"24 bits top-down", {5, -3, 24, BI_RGB, 40, 8}},
        {"32 bits", {5, 3, 32, BI_RGB, 40, 8}},
        {"32 bits fields, 108-byte header", {5, 3, 32, BI_BITFIELDS, 108, 8}},
        {"24 bits, 124-byte header", {5, 3, 24, BI_RGB, 124, 8}},
        {"8 bits, 124-byte header", {5, 3, 8, BI_RGB, 124, 8}},
    };
    for (const Case& c : cases) ExpectPixels(DibToBitmap(nullptr, MakeBmp(c.shape)), c.shape, c.name);
}

TEST(PackageBitmap, MadeUpOrDamagedFilesGiveNoBitmap)
{
    const std::string good = MakeBmp({5, 3, 24, BI_RGB, 40, 8});
    std::string huge = MakeBmp({4, 4, 24, BI_RGB, 40, 8});  // then claims 30000 x 30000 in its 110 bytes
    PutU32(huge, 18, 30000);
    PutU32(huge, 22, 30000);
    std::string wide = MakeBmp({4097, 1, 8, BI_RGB, 40, 8});  // all its bytes there, but too wide
    std::string rle = MakeBmp({5, 3, 8, BI_RGB, 40, 8});
    PutU32(rle, 30, BI_RLE8);
    std::string offsetPastEnd = good;
    PutU32(offsetPastEnd, 10, static_cast<uint32_t>(good.size()));
    std::string paletteTooLarge = MakeBmp({5, 3, 8, BI_RGB, 40, 8});
    PutU32(paletteTooLarge, 46, 100000);
    std::string pngHeader = good;
    PutU32(pngHeader, 14, 64);  // an OS/2 or unknown info header size

    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"30000 x 30000 in 200 bytes", huge + std::string(90, '\0')},
        {"4097 wide", wide},
        {"run-length compressed", rle},
        {"pixels cut short by one byte", good.substr(0, good.size() - 1)},
        {"headers only", good.substr(0, 54)},
        {"pixel offset at the end", offsetPastEnd},
        {"palette larger than the file", paletteTooLarge},
        {"unknown info header", pngHeader},
        {"no BM signature", "XX" + good.substr(2)},
        {"empty", ""},
    };
    for (const Case& c : cases) EXPECT_FALSE(DibToBitmap(nullptr, c.bytes)) << c.name;
}

TEST(PackageBitmap, PackageMemberIsDrawnOrItsAbsenceAndRefusalAreLogged)
{
    ScratchDir dir;
    const std::string package = dir / "update.zip";
    const BmpShape shape{6, 2, 8, BI_RGB, 40, 8};
    std::string rle = MakeBmp(shape);
    PutU32(rle, 30, BI_RLE8);
    ASSERT_TRUE(MakePackage(package, {{"top.bmp", MakeBmp(shape)}, {"rle.bmp", rle}}));

    LogCapture log;
    ExpectPixels(LoadPackageBitmap(nullptr, package, "TOP.BMP"), shape, "member");
    EXPECT_FALSE(LoadPackageBitmap(nullptr, package, "gone.bmp"));
    EXPECT_FALSE(LoadPackageBitmap(nullptr, package, "rle.bmp"));
    EXPECT_FALSE(LoadPackageBitmap(nullptr, dir / "missing.zip", "other.bmp"));
    std::string text = log.Text();
    EXPECT_EQ(text.find("TOP.BMP"), std::string::npos) << text;
    EXPECT_NE(text.find("没有找到图像文件：other.bmp\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("没有找到图像文件：gone.bmp\r\n"), std::string::npos) << text;
    size_t refused = text.find("没有找到图像文件：rle.bmp\r\n");
    ASSERT_NE(refused, std::string::npos) << text;
    size_t reason = text.find("图像文件不能显示：rle.bmp（a compressed or malformed picture）", refused);
    EXPECT_NE(reason, std::string::npos) << text;
}
