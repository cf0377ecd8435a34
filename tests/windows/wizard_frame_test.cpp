// The wizard's frame in this process, with the program's own templates:
// what it does with paint requests while hidden, with done messages that do
// not come from the page on show, and with a Next pressed twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ui/icon_strip.h"
#include "ui/main_window.h"
#include "ui/wizard.h"
#include "ui/wizard_messages.h"

using namespace quibo;

namespace {

UiSkin FourPages()
{
    UiSkin skin;
    skin.title = "wizard frame test";
    for (int page = 0; page < kSkinPageCount; ++page) {
        skin.windows[page].show = 1;
        skin.windows[page].rect = {0, 0, 300, 200};
        skin.buttons[page][0] = {{10, 160, 80, 24}, "next"};
        skin.buttons[page][1] = {{100, 160, 80, 24}, "cancel"};
    }
    return skin;
}

// The visible page of the frame: a dialog inside it holding control `id`.
HWND PageHolding(HWND frame, int id)
{
    for (HWND child = ::GetWindow(frame, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, id)) return child;
    return nullptr;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD ms = 5000)
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms; ::Sleep(20))
        if (condition()) return true;
    return false;
}

}  // namespace

TEST(WizardFrame, HiddenFrameStaysHiddenAndQuietWhenAskedToPaint)
{
    UiSkin skin = FourPages();
    UpdateConfig config;
    config.showType = ShowType::Silent;
    IconStrip icons;
    WizardState state(skin, config, icons);
    CMainDlg frame(state);
    ASSERT_TRUE(frame.Create());
    EXPECT_FALSE(::IsWindowVisible(frame.Window()));

    ::InvalidateRect(frame.Window(), nullptr, TRUE);
    int paints = 0;
    MSG msg;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 300;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(5);
            continue;
        }
        if (msg.message == WM_PAINT && msg.hwnd == frame.Window()) ++paints;
        ::DispatchMessageA(&msg);
    }
    // Left unvalidated, WM_PAINT would come back with every empty queue.
    EXPECT_LE(paints, 2);
    EXPECT_FALSE(::IsWindowVisible(frame.Window()));
}

TEST(WizardFrame, OnlyThePageOnShowMovesTheWizardAndOnlyOnce)
{
    UiSkin skin = FourPages();
    UpdateConfig config;
    config.opMode = OpMode::Manual;
    IconStrip icons;
    WizardState state(skin, config, icons);
    state.runMode = RunMode::Preview;

    std::atomic<bool> startStayed{false}, oneStep{false}, ended{false};
    std::thread person([&] {
        HWND frame = nullptr;
        if (!WaitFor([&] { return (frame = ::FindWindowA(nullptr, "wizard frame test")) != nullptr; })) return;
        HWND start = nullptr;
        if (!WaitFor([&] { return (start = PageHolding(frame, 1015)) != nullptr; })) return;
        // A done message that names no page, or another window, changes nothing.
        ::PostMessageA(frame, kPageDone, 0, reinterpret_cast<LPARAM>(frame));
        ::PostMessageA(frame, kPageDone, 1, 0);
        ::Sleep(300);
        startStayed = ::IsWindow(start) && PageHolding(frame, 1015) == start;
        // Next pressed twice before the page is gone: one step only.
        ::PostMessageA(start, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ::PostMessageA(start, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        HWND download = nullptr;
        WaitFor([&] { return (download = PageHolding(frame, 1018)) != nullptr; });
        ::Sleep(400);
        oneStep = download != nullptr && PageHolding(frame, 1018) == download && !::IsWindow(start);
        // The download page ends the wizard as cancelled.
        ::PostMessageA(frame, kPageDone, 1, reinterpret_cast<LPARAM>(download));
        ended = true;
    });
    bool completed = RunWizard(state);
    person.join();
    EXPECT_TRUE(startStayed);
    EXPECT_TRUE(oneStep);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(completed);
}
