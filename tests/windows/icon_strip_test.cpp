// The skin's icon strip: the frame count is believed only as far as the
// picture holds images, and a bad sysicon value keeps the strip it had.
#include <windows.h>

#include <gtest/gtest.h>

#include "picture_test_support.h"
#include "screen_image.h"
#include "transfer_test_support.h"
#include "ui/icon_strip.h"

using namespace quibo;
using transfertest::LogCapture;
using transfertest::ScratchDir;

namespace {

// Three 16 x 16 frames side by side; pixel (x, y) of the strip shows
// PureColor((x + 3y) % 3), so every frame differs from the others.
const BmpShape kThreeFrames{48, 16, 24, BI_RGB, 40, 3};
const BmpShape kTwoFrames{32, 16, 24, BI_RGB, 40, 5};

struct StripPackage {
    ScratchDir dir;
    std::string path = dir / "update.zip";
    bool made = MakePackage(path, {{"pic.bmp", MakeBmp(kThreeFrames)}, {"two.bmp", MakeBmp(kTwoFrames)}});
};

// The first row of an icon drawn over white; black pixels are transparent.
std::vector<uint32_t> FirstRow(HICON icon)
{
    host::ScreenImage image = host::ScreenImage::RenderIcon(icon, 16, 16, 0xFFFFFF);
    if (image.pixels.size() < 16) return {};
    return std::vector<uint32_t>(image.pixels.begin(), image.pixels.begin() + 16);
}

std::vector<uint32_t> ExpectedRow(const BmpShape& shape, int frame)
{
    std::vector<uint32_t> row;
    for (int x = 0; x < 16; ++x) {
        uint32_t c = PureColor((16 * frame + x) % shape.colours);
        row.push_back(c == 0 ? 0xFFFFFF : c);
    }
    return row;
}

}  // namespace

TEST(IconStrip, FrameCountIsBelievedOnlyAsFarAsThePictureHoldsImages)
{
    StripPackage package;
    ASSERT_TRUE(package.made);
    struct Case {
        const char* sysicon;
        int frames, images, animation;
        size_t icons, realIcons;
    } cases[] = {
        {" pic.bmp : 2 ", 2, 3, 2, 2, 2},
        {"pic.bmp:3", 3, 3, 3, 3, 3},
        {"pic.bmp:5", 5, 3, 3, 5, 3},
        {"pic.bmp:2000000000", 2000000000, 3, 3, 10, 3},
        {"pic.bmp:0", 0, 0, 0, 0, 0},
        {"pic.bmp:-4", -4, 0, 0, 0, 0},
        {"pic.bmp:", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        IconStrip strip;
        std::string sysicon = c.sysicon;
        strip.LoadFromSkin(sysicon, package.path, nullptr);
        EXPECT_EQ(sysicon, "pic.bmp") << c.sysicon;
        EXPECT_EQ(strip.FrameCount(), c.frames) << c.sysicon;
        EXPECT_EQ(strip.ImageCount(), c.images) << c.sysicon;
        EXPECT_EQ(strip.AnimationFrames(), c.animation) << c.sysicon;
        ASSERT_EQ(strip.Icons().size(), c.icons) << c.sysicon;
        for (size_t i = 0; i < c.icons; ++i) {
            EXPECT_EQ(strip.Icons()[i] != nullptr, i < c.realIcons) << c.sysicon << " icon " << i;
            if (strip.Icons()[i]) {
                EXPECT_EQ(FirstRow(strip.Icons()[i]), ExpectedRow(kThreeFrames, int(i)));
            }
        }
        EXPECT_FALSE(strip.MakeIcon(c.images)) << c.sysicon;
        EXPECT_FALSE(strip.MakeIcon(-1)) << c.sysicon;
        if (c.images > 0) {
            UniqueIcon last = strip.MakeIcon(c.images - 1);
            ASSERT_TRUE(last) << c.sysicon;
            EXPECT_EQ(FirstRow(last.Get()), ExpectedRow(kThreeFrames, c.images - 1));
        }
    }
}

TEST(IconStrip, BadSysiconKeepsTheStripItHad)
{
    StripPackage package;
    ASSERT_TRUE(package.made);
    struct Case {
        const char* sysicon;
        const char* after;
        const char* logged;  // nullptr: nothing
    } cases[] = {
        {"pic.bmp", "", "sys_icon配置错误：\r\n"},
        {" x ", "x", nullptr},
        {"", "", nullptr},
        {"gone.bmp:4", "gone.bmp", "没有找到图像文件：gone.bmp\r\n"},
    };
    for (const Case& c : cases) {
        IconStrip strip;
        std::string sysicon = "two.bmp:2";
        strip.LoadFromSkin(sysicon, package.path, nullptr);
        ASSERT_EQ(strip.ImageCount(), 2);
        LogCapture log;
        sysicon = c.sysicon;
        strip.LoadFromSkin(sysicon, package.path, nullptr);
        EXPECT_EQ(sysicon, c.after) << c.sysicon;
        EXPECT_EQ(strip.FrameCount(), 2) << c.sysicon;
        EXPECT_EQ(strip.ImageCount(), 2) << c.sysicon;
        ASSERT_EQ(strip.Icons().size(), 2u) << c.sysicon;
        EXPECT_EQ(FirstRow(strip.Icons()[1]), ExpectedRow(kTwoFrames, 1)) << c.sysicon;
        std::string text = log.Text();
        if (c.logged)
            EXPECT_NE(text.find(c.logged), std::string::npos) << c.sysicon << ": " << text;
        else
            EXPECT_EQ(text.find("sys_icon"), std::string::npos) << c.sysicon << ": " << text;
    }
}

TEST(IconStrip, TheProgramsOwnStripHasFourFramesOrNoneWithoutTheResource)
{
    // This test program carries the program's resources, bitmap 129 among them.
    IconStrip strip;
    strip.LoadDefault(::GetModuleHandleA(nullptr));
    EXPECT_EQ(strip.FrameCount(), 4);
    EXPECT_EQ(strip.ImageCount(), 4);
    EXPECT_EQ(strip.AnimationFrames(), 4);
    ASSERT_EQ(strip.Icons().size(), 4u);
    for (HICON icon : strip.Icons()) EXPECT_NE(icon, nullptr);

    // A module without it (the system's user32) leaves four frames and no images.
    IconStrip none;
    none.LoadDefault(::GetModuleHandleA("user32.dll"));
    EXPECT_EQ(none.FrameCount(), 4);
    EXPECT_EQ(none.ImageCount(), 0);
    EXPECT_EQ(none.AnimationFrames(), 0);
    for (HICON icon : none.Icons()) EXPECT_EQ(icon, nullptr);
}
