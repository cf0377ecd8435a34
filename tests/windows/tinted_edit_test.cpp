// The log box: its colours for the page's colour message, and new lines that
// stay in view however long the log grows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "skin_canvas.h"
#include "ui/tinted_edit.h"

using namespace quibo;
using namespace skintest;

TEST(TintedEdit, AnswersTheColourMessageWithItsColours)
{
    TestPage page;
    CTintedEdit edit;
    ASSERT_TRUE(edit.Attach(page.Child("EDIT", "", ES_MULTILINE | ES_READONLY, RECT{0, 0, 200, 80})));
    edit.ChangeBackColor(RGB(10, 20, 30));
    Canvas canvas(4, 4);
    HBRUSH brush = edit.OnCtlColor(canvas.Dc());
    EXPECT_EQ(::GetBkColor(canvas.Dc()), RGB(10, 20, 30));
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(0, 0, 0));
    LOGBRUSH info = {};
    ASSERT_TRUE(::GetObjectA(brush, sizeof info, &info));
    EXPECT_EQ(info.lbColor, RGB(10, 20, 30));
}

TEST(TintedEdit, TheNewestLineStaysInViewPastTheDefaultTextLimit)
{
    TestPage page;
    ::ShowWindow(page.window, SW_SHOWNOACTIVATE);
    CTintedEdit edit;
    ASSERT_TRUE(edit.Attach(page.Child("EDIT", "",
                                       ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
                                       RECT{0, 0, 300, 80})));
    const std::string filler(70, 'x');
    edit.AppendLine(std::string(40000, 'y'), 4);  // past the 32K a box takes by default
    for (int i = 1; i < 40; ++i) edit.AppendLine("第" + std::to_string(i) + "行 " + filler, 4);
    const int lines = static_cast<int>(::SendMessageA(edit.Window(), EM_GETLINECOUNT, 0, 0));
    EXPECT_EQ(lines, 41);  // the last "\r\n" opens an empty line
    EXPECT_EQ(::SendMessageA(edit.Window(), EM_GETFIRSTVISIBLELINE, 0, 0), lines - 4);
    const int length = ::GetWindowTextLengthA(edit.Window());
    EXPECT_GT(length, 40000);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(edit.Window(), &text[0], length + 1)));
    const std::string last = "第39行 " + filler + "\r\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}
