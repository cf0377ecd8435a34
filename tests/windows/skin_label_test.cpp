// Skinned labels: drawn over the page's own background, wrapped without
// splitting a Chinese character (and quickly, however narrow), links with a
// hover look that open only web and mail addresses, and skins applied as the
// pages apply them.
#include <windows.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skin_canvas.h"
#include "ui/skin_label.h"

using namespace quibo;
using namespace skintest;

namespace {

constexpr COLORREF kPage = RGB(0, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
const std::string kZhong = "中";  // two bytes in code page 936

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// What the label paints, read back through WM_PRINTCLIENT.
void Render(HWND label, Canvas& canvas)
{
    ::SendMessageA(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
}

LOGFONTA FontOf(const CSkinLabel& label)
{
    LOGFONTA font = {};
    ::GetObjectA(label.CurrentFont(), sizeof font, &font);
    return font;
}

RECT PlaceInParent(HWND child)
{
    RECT box;
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

StaticSkin LinkSkin(const std::string& url)
{
    StaticSkin skin;
    skin.rect = SkinRect{10, 10, 210, 40};
    skin.text = "访问主页";
    skin.url = url;
    skin.norUnderline = 0;
    skin.hovUnderline = 1;
    skin.clrnormal = kRed;
    skin.clrHover = kBlue;
    return skin;
}

}  // namespace

TEST(SkinLabel, TransparentLabelShowsThePageBackgroundUnderItsText)
{
    TestPage page;
    page.skin.clrbk = kPage;
    std::unique_ptr<void, decltype(&::DeleteObject)> picture(MakePicture(1, {kBlue}), ::DeleteObject);
    page.pictures[0] = static_cast<HBITMAP>(picture.get());
    page.images[0] = ImageSkin{SkinRect{40, 30, 60, 80}, "p.bmp", 1};  // covers the label's first 10 columns
    CSkinLabel label;
    ASSERT_TRUE(label.Attach(page.Child("STATIC", "Hello 你好", SS_LEFT, RECT{50, 40, 250, 70})));
    EXPECT_EQ(label.Text(), "Hello 你好");
    label.ChangeTextColor(kRed);

    label.MakeTransparent(true);
    Canvas see(200, 30);
    Render(label.Window(), see);
    EXPECT_EQ(see.Pixel(5, 28), kBlue);    // the page's picture, at the label's place
    EXPECT_EQ(see.Pixel(150, 28), kPage);  // the page's colour
    EXPECT_GT(see.Count(kRed), 0);         // the text over them
    EXPECT_EQ(see.Count(::GetSysColor(COLOR_BTNFACE)), 0);

    label.MakeTransparent(false);
    Canvas opaque(200, 30);
    Render(label.Window(), opaque);
    EXPECT_EQ(opaque.Pixel(150, 28), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(opaque.Count(kPage) + opaque.Count(kBlue), 0);
    EXPECT_GT(opaque.Count(kRed), 0);
}

TEST(SkinLabel, LongChineseTextBreaksBeforeTheCharacterThatNoLongerFits)
{
    TestPage page;
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE one = {};
    ::GetTextExtentPoint32A(screen, kZhong.data(), 2, &one);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    ASSERT_GT(one.cx, 0);
    const int width = 3 * one.cx + one.cx / 2;  // room for three and a half characters

    CSkinLabel wrapped, broken;
    ASSERT_TRUE(wrapped.Attach(page.Child("STATIC", "", SS_LEFT, RECT{0, 0, width, 120})));
    ASSERT_TRUE(broken.Attach(page.Child("STATIC", "", SS_LEFT, RECT{0, 130, 400, 250})));
    wrapped.ChangeText(Repeat(kZhong, 10));
    const std::string three = Repeat(kZhong, 3);
    broken.ChangeText(three + "\r\n" + three + "\r\n" + three + "\r\n" + kZhong);

    Canvas byWrap(width, 120), byBreaks(width, 120);
    Render(wrapped.Window(), byWrap);
    Render(broken.Window(), byBreaks);
    EXPECT_GT(byWrap.Count(::GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_TRUE(byWrap.SameAs(byBreaks));
}

TEST(SkinLabel, NarrowOrWideLabelsWithLongTextPaintQuickly)
{
    TestPage page;
    ::ShowWindow(page.window, SW_SHOWNOACTIVATE);
    const std::string text = Repeat(kZhong, 2000);
    const RECT boxes[] = {{10, 10, 12, 110}, {0, 120, 3000, 200}};
    for (const RECT& box : boxes) {
        CSkinLabel label;
        ASSERT_TRUE(label.Attach(page.Child("STATIC", "", SS_LEFT, box)));
        label.MakeTransparent(true);
        label.ChangeText(text);
        Canvas canvas(box.right - box.left, box.bottom - box.top);
        const double ms = Milliseconds([&] {
            Render(label.Window(), canvas);
            ::UpdateWindow(label.Window());
        });
        EXPECT_LT(ms, 500.0) << box.right - box.left << " pixels wide";
        EXPECT_GT(canvas.Count(::GetSysColor(COLOR_WINDOWTEXT)), 0);
    }
}

TEST(SkinLabel, LinkTakesItsHoverLookWhileThePointerIsOverIt)
{
    TestPage page;
    ::ShowWindow(page.window, SW_SHOWNOACTIVATE);
    CSkinLabel label;
    ASSERT_TRUE(label.Attach(page.Child("STATIC", "模板", SS_LEFT, RECT{0, 0, 50, 20})));
    ApplyStaticSkin(label, LinkSkin("http://example.com/"));
    ASSERT_TRUE(label.IsLink());
    EXPECT_EQ(label.TextColor(), kRed);
    EXPECT_EQ(FontOf(label).lfUnderline, 0);

    ::SendMessageA(label.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(label.Hovering());
    EXPECT_EQ(::GetCapture(), label.Window());
    EXPECT_EQ(label.TextColor(), kBlue);
    EXPECT_NE(FontOf(label).lfUnderline, 0);
    Canvas hover(200, 30);
    Render(label.Window(), hover);
    EXPECT_GT(hover.Count(kBlue), 0);
    EXPECT_EQ(hover.Count(kRed), 0);
    ::SendMessageA(label.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.Window()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));

    ::SendMessageA(label.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(-3, -3));  // left the label
    EXPECT_FALSE(label.Hovering());
    EXPECT_NE(::GetCapture(), label.Window());
    EXPECT_EQ(label.TextColor(), kRed);
    Canvas normal(200, 30);
    Render(label.Window(), normal);
    EXPECT_GT(normal.Count(kRed), 0);
    EXPECT_EQ(normal.Count(kBlue), 0);
}

TEST(SkinLabel, AClickOpensOnlyWebAndMailAddresses)
{
    struct Case {
        std::string url;
        bool opened;
    };
    const Case cases[] = {
        {"http://example.com/", true},
        {"HTTPS://example.com/update", true},
        {"mailto:help@example.com", true},
        {"file:///C:/Windows/notepad.exe", false},
        {"C:\\x.exe", false},
        {"javascript:alert(1)", false},
        {"", false},  // a plain label ignores clicks
    };
    TestPage page;
    for (const Case& c : cases) {
        CSkinLabel label;
        ASSERT_TRUE(label.Attach(page.Child("STATIC", "", SS_LEFT, RECT{0, 0, 50, 20})));
        std::vector<std::string> opened;
        label.SetLinkOpener([&](HWND, const std::string& url) { opened.push_back(url); });
        ApplyStaticSkin(label, LinkSkin(c.url));
        ::SendMessageA(label.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        ::SendMessageA(label.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_EQ(opened, c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{}) << c.url;
        EXPECT_FALSE(label.Hovering()) << c.url;
        ::DestroyWindow(label.Window());
    }
    // A link whose link look was dropped is plain text again.
    CSkinLabel dropped;
    ASSERT_TRUE(dropped.Attach(page.Child("STATIC", "", SS_LEFT, RECT{0, 0, 50, 20})));
    std::vector<std::string> opened;
    dropped.SetLinkOpener([&](HWND, const std::string& url) { opened.push_back(url); });
    ApplyStaticSkin(dropped, LinkSkin("http://example.com/"));
    dropped.DropLink();
    ::SendMessageA(dropped.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(opened.empty());
}

TEST(SkinLabel, SkinMovesAndRestylesTheLabelUnlessItsRectangleIsEmpty)
{
    struct Case {
        const char* what;
        SkinRect rect;
        int fontsize;
        std::string text;
        RECT place;
        LONG height;
    };
    const Case cases[] = {
        {"empty rectangle: the template stays", SkinRect{}, 30, "模板", RECT{7, 8, 107, 28}, -1},
        {"rectangle given", SkinRect{5, 6, 105, 36}, 24, "皮肤", RECT{5, 6, 105, 36}, 24},
        {"font size 0: the font mapper decides", SkinRect{5, 6, 105, 36}, 0, "皮肤", RECT{5, 6, 105, 36}, 0},
    };
    for (const Case& c : cases) {
        TestPage page;
        CSkinLabel label;
        ASSERT_TRUE(label.Attach(page.Child("STATIC", "模板", SS_LEFT, RECT{7, 8, 107, 28})));
        const LONG templateHeight = FontOf(label).lfHeight;
        StaticSkin skin;
        skin.rect = c.rect;
        skin.text = "皮肤";
        skin.clrtext = kBlue;
        skin.fontsize = c.fontsize;
        skin.fontweight = 700;
        ApplyStaticSkin(label, skin);
        EXPECT_EQ(label.Text(), c.text) << c.what;
        const RECT place = PlaceInParent(label.Window());
        EXPECT_TRUE(::EqualRect(&place, &c.place)) << c.what;
        EXPECT_EQ(FontOf(label).lfHeight, c.height < 0 ? templateHeight : c.height) << c.what;
        EXPECT_FALSE(label.IsLink()) << c.what;
    }
}

TEST(SkinLabel, LabelAndControlMayGoInEitherOrder)
{
    TestPage page;
    {
        CSkinLabel label;
        HWND control = page.Child("STATIC", "a", SS_LEFT, RECT{0, 0, 50, 20});
        ASSERT_TRUE(label.Attach(control));
        CSkinLabel second;
        EXPECT_FALSE(second.Attach(control));  // one label per control
        ::DestroyWindow(control);
        EXPECT_EQ(label.Window(), nullptr);
    }
    HWND control = page.Child("STATIC", "b", SS_LEFT, RECT{0, 0, 50, 20});
    {
        CSkinLabel label;
        ASSERT_TRUE(label.Attach(control));
        ApplyStaticSkin(label, LinkSkin("http://example.com/"));
        ::SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    }
    EXPECT_NE(::GetCapture(), control);
    ::SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // no label behind it any more
    ::InvalidateRect(control, nullptr, TRUE);
    ::UpdateWindow(control);
}
