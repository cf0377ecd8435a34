// The tray icon as the shell (Wine's stand-alone tray) shows it: tip, hiding,
// animation with icons of its own, the menu, and hiding a window in the tray.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "../../res/resource.h"
#include "picture_test_support.h"
#include "screen_image.h"
#include "transfer_test_support.h"
#include "tray_view.h"
#include "ui/icon_strip.h"
#include "ui/system_tray.h"
#include "ui/tray_tip.h"

using namespace quibo;
using transfertest::ScratchDir;
using transfertest::WaitFor;

namespace {

void Pump(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    } while (::GetTickCount() - start < milliseconds);
}

template <typename Condition>
bool PumpUntil(Condition condition, DWORD milliseconds = 5000)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > milliseconds) return false;
        Pump(20);
    }
    return true;
}

// A 16 x 16 icon of one colour (0x00RRGGBB), fully opaque.
UniqueIcon SolidIcon(uint32_t rgb)
{
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour = ::CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, colour);
    RECT all = {0, 0, 16, 16};
    HBRUSH brush = ::CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, mask);
    ::PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    UniqueIcon icon(::CreateIconIndirect(&info));
    ::DeleteObject(mask);
    ::DeleteObject(colour);
    return icon;
}

uint32_t CentreOf(HICON icon) { return host::ScreenImage::RenderIcon(icon, 16, 16, 0x808080).At(8, 8); }

uint32_t ShellCentre(HWND iconWindow)
{
    host::ScreenImage image = host::TrayIconImage(iconWindow);
    return image.pixels.empty() ? 0xFFFFFFFF : image.At(image.width / 2, image.height / 2);
}

// A window that records the commands and WM_NULL it is sent or posted.
struct CommandWindow {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CommandWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_COMMAND) self->commands.push_back(LOWORD(wParam));
        if (self && message == WM_NULL) ++self->nulls;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    CommandWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrayTestCommands";
        ::RegisterClassA(&wc);
        window = ::CreateWindowA(wc.lpszClassName, "commands", WS_POPUP | WS_CAPTION, 200, 200, 300, 200, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CommandWindow() { ::DestroyWindow(window); }
    HWND window = nullptr;
    std::vector<UINT> commands;
    int nulls = 0;
};

const char kTip[] = "自动升级程序 托盘测试";

// The open menu as a timer inside its loop found it (a named callback: lambdas
// lack the calling convention of the 32-bit build).
struct SeenMenu {
    int items = 0;
    UINT defaultId = 0;
    std::string defaultText;
} g_menu;

void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup)) return;
    auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    g_menu.items = ::GetMenuItemCount(menu);
    g_menu.defaultId = ::GetMenuDefaultItem(menu, FALSE, 0);
    char text[64] = {};
    ::GetMenuStringA(menu, g_menu.defaultId, text, sizeof text, MF_BYCOMMAND);
    g_menu.defaultText = text;
    ::EndMenu();
}

}  // namespace

TEST(TrayTip, CutAtACharacterBoundaryWithin127Bytes)
{
    std::string chinese;
    while (chinese.size() < 200) chinese += "升级";
    std::string odd = "a" + chinese;  // byte 127 (index 126) is now a trail byte
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"Chinese, byte 127 a lead byte", chinese.substr(0, 200), chinese.substr(0, 126)},
        {"Chinese after one ASCII byte", odd.substr(0, 200), odd.substr(0, 127)},
        {"ASCII", std::string(200, 'x'), std::string(127, 'x')},
        {"short", "下载中", "下载中"},
        {"trailing lead byte", "abc\xD6", "abc"},
        {"exactly 127", std::string(127, 'y'), std::string(127, 'y')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrayTipText(c.text), c.expected) << c.name;
        CSystemTray tray;
        ASSERT_TRUE(tray.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, "t", nullptr, 139, true));
        tray.SetTrayTip(c.text);
        EXPECT_EQ(tray.Tip(), c.expected) << c.name;
    }
}

TEST(SystemTray, IconAppearsHidesAndReturnsWithItsTip)
{
    UniqueIcon red = SolidIcon(0xFF0000);
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, kTip, red.Get(), 139, true));
        EXPECT_TRUE(tray.Enabled());
        EXPECT_TRUE(tray.Hidden());
        Pump(200);
        EXPECT_EQ(host::FindTrayIcon(kTip), nullptr);

        EXPECT_TRUE(tray.ShowTrayIcon());
        HWND shown = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (shown = host::FindTrayIcon(kTip)) != nullptr; }));
        EXPECT_TRUE(PumpUntil([&] { return ShellCentre(shown) == 0xFF0000; })) << std::hex << ShellCentre(shown);

        // Changed while hidden: the shell shows the new tip and icon once it is shown again.
        EXPECT_TRUE(tray.HideTrayIcon());
        EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon(kTip) == nullptr; }));
        UniqueIcon green = SolidIcon(0x00FF00);
        tray.ChangeTrayIcon(green.Get());
        green.Reset();  // the tray shows its own copy
        tray.SetTrayTip("下载中");
        EXPECT_TRUE(tray.ShowTrayIcon());
        ASSERT_TRUE(PumpUntil([&] { return (shown = host::FindTrayIcon("下载中")) != nullptr; }));
        EXPECT_TRUE(PumpUntil([&] { return ShellCentre(shown) == 0x00FF00; })) << std::hex << ShellCentre(shown);

        tray.RemoveTrayIcon();
        EXPECT_TRUE(tray.Removed());
        EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("下载中") == nullptr; }));
        EXPECT_TRUE(tray.ShowTrayIcon());
        EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("下载中") != nullptr; }));
    }
    // The destructor takes the icon away.
    EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("下载中") == nullptr; }));
}

TEST(SystemTray, AnimationUsesItsOwnIconsAndRestoresTheIconAfterTheStripIsGone)
{
    ScratchDir dir;
    const std::string package = dir / "update.zip";
    ASSERT_TRUE(MakePackage(package, {{"pic.bmp", MakeBmp({48, 16, 24, BI_RGB, 40, 7})}}));
    auto strip = std::make_unique<IconStrip>();
    std::string sysicon = "pic.bmp:2000000000";
    strip->LoadFromSkin(sysicon, package, nullptr);
    ASSERT_EQ(strip->AnimationFrames(), 3);

    UniqueIcon red = SolidIcon(0xFF0000);
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, kTip, red.Get(), 139, false));
    red.Reset();
    EXPECT_FALSE(tray.StartIconAnimation(50, 0));  // no icons yet
    ASSERT_TRUE(tray.SetAnimationIcons(strip->Icons()));  // ten entries, seven of them null
    EXPECT_EQ(tray.AnimationIconCount(), 3u);
    strip.reset();  // the icons handed over are destroyed now

    HWND shown = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (shown = host::FindTrayIcon(kTip)) != nullptr; }));
    ASSERT_TRUE(tray.StartIconAnimation(50, 0));
    std::vector<uint32_t> seen;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1000) {
        Pump(25);
        uint32_t now = ShellCentre(shown);
        if (std::find(seen.begin(), seen.end(), now) == seen.end()) seen.push_back(now);
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(tray.ShownIcon(), &info));  // never a destroyed icon
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
    EXPECT_GE(seen.size(), 3u);

    tray.StopIconAnimation();
    EXPECT_FALSE(tray.Animating());
    EXPECT_EQ(CentreOf(tray.ShownIcon()), 0xFF0000u);
    EXPECT_TRUE(PumpUntil([&] { return ShellCentre(shown) == 0xFF0000; })) << std::hex << ShellCentre(shown);

    // With a duration it ends by itself after more than that many whole seconds.
    ASSERT_TRUE(tray.StartIconAnimation(50, 1));
    Pump(1000);
    EXPECT_TRUE(tray.Animating());
    EXPECT_TRUE(PumpUntil([&] { return !tray.Animating(); }, 3000));
    EXPECT_EQ(CentreOf(tray.ShownIcon()), 0xFF0000u);
}

TEST(SystemTray, ClicksOpenTheMenuWithItsDefaultOrRunTheDefaultCommand)
{
    CommandWindow commands;
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, kTip, nullptr, 139, false));
    tray.SetDefaultMenuItem(IDM_SHOW_MAIN_WINDOW, false);
    tray.SetCommandWindow(commands.window);

    // Right click: the menu opens (its loop runs inside the call); a timer reads it and closes it.
    g_menu = SeenMenu();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 200, ReadAndCloseMenu);
    ::SendMessageA(tray.Window(), CSystemTray::kCallbackMessage, 139, WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_menu.items, 3);
    EXPECT_EQ(g_menu.defaultId, static_cast<UINT>(IDM_SHOW_MAIN_WINDOW));
    EXPECT_EQ(g_menu.defaultText, "显示主窗口(&S)");
    Pump(100);
    EXPECT_EQ(commands.nulls, 1);

    // Left click: the default command, by command or by position; other ids and mice do nothing.
    ::SendMessageA(tray.Window(), CSystemTray::kCallbackMessage, 139, WM_LBUTTONUP);
    ::SendMessageA(tray.Window(), CSystemTray::kCallbackMessage, 140, WM_LBUTTONUP);
    ::SendMessageA(tray.Window(), CSystemTray::kCallbackMessage, 139, WM_LBUTTONDOWN);
    tray.SetDefaultMenuItem(2, true);
    ::SendMessageA(tray.Window(), CSystemTray::kCallbackMessage, 139, WM_LBUTTONUP);
    Pump(100);
    EXPECT_EQ(commands.commands, (std::vector<UINT>{IDM_SHOW_MAIN_WINDOW, IDM_TRAY_EXIT}));
}

TEST(SystemTray, ShellRestartBringsBackAVisibleIconOnly)
{
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    CSystemTray visible, hidden;
    ASSERT_TRUE(visible.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, "可见", nullptr, 139, false));
    ASSERT_TRUE(hidden.CreateTrayIcon(nullptr, CSystemTray::kCallbackMessage, "隐藏", nullptr, 139, false));
    EXPECT_TRUE(hidden.HideTrayIcon());
    // The shell forgets both, as a restarted one would.
    for (CSystemTray* tray : {&visible, &hidden}) {
        NOTIFYICONDATAA gone = {};
        gone.cbSize = NOTIFYICONDATAA_V2_SIZE;
        gone.hWnd = tray->Window();
        gone.uID = 139;
        ::Shell_NotifyIconA(NIM_DELETE, &gone);
    }
    EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("可见") == nullptr; }));
    ::SendMessageA(visible.Window(), taskbarCreated, 0, 0);
    ::SendMessageA(hidden.Window(), taskbarCreated, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("可见") != nullptr; }));
    EXPECT_EQ(host::FindTrayIcon("隐藏"), nullptr);
    EXPECT_TRUE(hidden.ShowTrayIcon());
    EXPECT_TRUE(PumpUntil([&] { return host::FindTrayIcon("隐藏") != nullptr; }));
}

TEST(SystemTray, HideToTrayTakesTheWindowOffTheDesktopAndRestoreGivesItBack)
{
    CommandWindow main;
    ::ShowWindow(main.window, SW_SHOW);
    for (int round = 0; round < 2; ++round) {
        CSystemTray::HideToTray(main.window);
        ASSERT_NE(CSystemTray::TrayParentWindow(), nullptr);
        EXPECT_EQ(::GetAncestor(main.window, GA_PARENT), CSystemTray::TrayParentWindow());
        EXPECT_FALSE(::GetWindowLongPtrA(main.window, GWL_STYLE) & WS_VISIBLE);
        EXPECT_FALSE(::IsWindowVisible(main.window));
        EXPECT_FALSE(::IsWindowVisible(CSystemTray::TrayParentWindow()));

        CSystemTray::RestoreFromTray(main.window);
        EXPECT_EQ(::GetAncestor(main.window, GA_PARENT), ::GetDesktopWindow());
        EXPECT_TRUE(::IsWindowVisible(main.window));
        RECT r = {};
        ::GetWindowRect(main.window, &r);
        EXPECT_EQ(r.left, 200);
        EXPECT_EQ(r.top, 200);
    }
}
