// A page's background: the skin colour, pictures in which exactly white is
// see-through, each picture by its own switch, and no picture rectangle too
// big or too odd to paint at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

#include "skin_canvas.h"
#include "ui/page_background.h"

using namespace quibo;
using namespace skintest;

namespace {

constexpr COLORREF kPage = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNearWhite = RGB(254, 254, 254);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

SkinRect Rect(int left, int top, int right, int bottom) { return SkinRect{left, top, right, bottom}; }

struct Pictures {
    Pictures(HBITMAP a, HBITMAP b) : handles{a, b} {}
    ~Pictures()
    {
        for (HBITMAP h : handles) ::DeleteObject(h);
    }
    HBITMAP handles[2];
};

}  // namespace

TEST(PageBackground, WhiteIsSeeThroughAndNearWhiteIsDrawn)
{
    // 2 x 2 picture stretched 10 times into (20, 20)-(40, 40).
    Pictures pictures(MakePicture(2, {kWhite, kNearWhite, kRed, kWhite}), nullptr);
    Canvas canvas(100, 100);
    const RECT client = {0, 0, 100, 100};
    WindowSkin window{Rect(0, 0, 100, 100), kPage, 1};
    std::array<ImageSkin, 2> images;
    images[0] = ImageSkin{Rect(20, 20, 40, 40), "a.bmp", 1};
    PaintPageBackground(canvas.Dc(), client, window, images, pictures.handles[0], nullptr);

    EXPECT_EQ(canvas.Pixel(5, 5), kPage);         // outside the picture
    EXPECT_EQ(canvas.Pixel(25, 25), kPage);       // white: the fill shows through
    EXPECT_EQ(canvas.Pixel(35, 25), kNearWhite);  // near-white: drawn
    EXPECT_EQ(canvas.Pixel(25, 35), kRed);
    EXPECT_EQ(canvas.Pixel(35, 35), kPage);
    EXPECT_EQ(canvas.Count(kRed), 100);
    EXPECT_EQ(canvas.Count(kNearWhite), 100);
}

TEST(PageBackground, EachPictureFollowsItsOwnSwitch)
{
    Pictures pictures(MakePicture(1, {kRed}), MakePicture(1, {kBlue}));
    struct Case {
        int show0, show1;
        bool red, blue;
    };
    const Case cases[] = {{0, 0, false, false}, {1, 0, true, false}, {0, 1, false, true}, {1, 1, true, true}};
    for (const Case& c : cases) {
        Canvas canvas(60, 60);
        std::array<ImageSkin, 2> images;
        images[0] = ImageSkin{Rect(0, 0, 20, 20), "0.bmp", c.show0};
        images[1] = ImageSkin{Rect(30, 30, 50, 50), "1.bmp", c.show1};
        PaintPageBackground(canvas.Dc(), RECT{0, 0, 60, 60}, WindowSkin{{}, kPage, 1}, images,
                            pictures.handles[0], pictures.handles[1]);
        EXPECT_EQ(canvas.Count(kRed), c.red ? 400 : 0) << c.show0 << c.show1;
        EXPECT_EQ(canvas.Count(kBlue), c.blue ? 400 : 0) << c.show0 << c.show1;
    }
    // No picture loaded: the switch alone draws nothing.
    Canvas canvas(60, 60);
    std::array<ImageSkin, 2> images;
    images[0] = ImageSkin{Rect(0, 0, 20, 20), "0.bmp", 1};
    PaintPageBackground(canvas.Dc(), RECT{0, 0, 60, 60}, WindowSkin{{}, kPage, 1}, images, nullptr, nullptr);
    EXPECT_EQ(canvas.Count(kPage), 3600);
}

TEST(PageBackground, HugeAndOddPictureRectanglesPaintAtOnce)
{
    // Four columns, red green blue black: which one shows tells where the
    // visible part was taken from.
    Pictures pictures(MakePicture(4, {kRed, RGB(0, 255, 0), kBlue, RGB(0, 0, 0)}), nullptr);
    struct Case {
        const char* what;
        SkinRect rect;
        COLORREF at10, at150;  // expected at (10, 10) and (150, 150)
    };
    const Case cases[] = {
        {"30000 x 30000 from the origin", Rect(0, 0, 30000, 30000), kRed, kRed},
        {"starting far up and left", Rect(-30000, -30000, 30000, 30000), kBlue, kBlue},
        {"shifted left by a quarter", Rect(-100, 0, 300, 200), RGB(0, 255, 0), kBlue},
        {"entirely left of the page", Rect(-500, 0, -10, 200), kPage, kPage},
        {"right before left", Rect(100, 100, 50, 150), kPage, kPage},
        // Sides past the int range are cut to it: the picture ends just left of the page.
        {"the widest a skin can give", Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), kPage, kPage},
    };
    for (const Case& c : cases) {
        Canvas canvas(200, 200);
        std::array<ImageSkin, 2> images;
        images[0] = ImageSkin{c.rect, "big.bmp", 1};
        const double ms = Milliseconds([&] {
            PaintPageBackground(canvas.Dc(), RECT{0, 0, 200, 200}, WindowSkin{{}, kPage, 1}, images,
                                pictures.handles[0], nullptr);
        });
        EXPECT_LT(ms, 250.0) << c.what;
        EXPECT_EQ(canvas.Pixel(10, 10), c.at10) << c.what;
        EXPECT_EQ(canvas.Pixel(150, 150), c.at150) << c.what;
    }
}

TEST(PageBackground, TransparentStretchRefusesEmptySizesAndSkipsWhatIsNotShown)
{
    Pictures pictures(MakePicture(1, {kRed}), nullptr);
    Canvas canvas(50, 50);
    const HBITMAP red = pictures.handles[0];
    EXPECT_FALSE(DrawTransparentStretched(canvas.Dc(), 0, 0, 0, 10, red, 0, 0, 1, 1, kWhite));
    EXPECT_FALSE(DrawTransparentStretched(canvas.Dc(), 0, 0, 10, -5, red, 0, 0, 1, 1, kWhite));
    EXPECT_FALSE(DrawTransparentStretched(canvas.Dc(), 0, 0, 10, 10, red, 0, 0, 0, 1, kWhite));
    EXPECT_FALSE(DrawTransparentStretched(canvas.Dc(), 0, 0, 10, 10, nullptr, 0, 0, 1, 1, kWhite));
    EXPECT_EQ(canvas.Count(kRed), 0);
    EXPECT_TRUE(DrawTransparentStretched(canvas.Dc(), 60, 60, 10, 10, red, 0, 0, 1, 1, kWhite));
    EXPECT_TRUE(DrawTransparentStretched(canvas.Dc(), 45, 45, 10, 10, red, 0, 0, 1, 1, kWhite));
    EXPECT_EQ(canvas.Count(kRed), 25);
}
