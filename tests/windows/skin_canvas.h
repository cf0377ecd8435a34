// Pixels for the skinned-control tests: a 32-bit memory canvas to draw into
// and read back, pictures made of given pixels, and a page window that paints
// its skin background and hands its list's notifications on, as the pages do.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/config/ui_skin.h"
#include "ui/page_background.h"
#include "ui/progress_list.h"

namespace skintest {

using namespace quibo;

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(1, 2, 3)) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ =
            ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Canvas()
    {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    void Fill(COLORREF color)
    {
        RECT all = {0, 0, width_, height_};
        HBRUSH brush = ::CreateSolidBrush(color);
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }
    COLORREF Pixel(int x, int y) const
    {
        ::GdiFlush();
        const DWORD p = bits_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of `color` inside `box`.
    int Count(COLORREF color, RECT box) const
    {
        int n = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) n += Pixel(x, y) == color;
        return n;
    }
    int Count(COLORREF color) const { return Count(color, RECT{0, 0, width_, height_}); }
    bool SameAs(const Canvas& other) const
    {
        ::GdiFlush();
        return width_ == other.width_ && height_ == other.height_ &&
               std::equal(bits_, bits_ + width_ * height_, other.bits_);
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

// A picture `width` wide from rows of pixels given left to right, top to bottom.
inline HBITMAP MakePicture(int width, const std::vector<COLORREF>& pixels)
{
    const int height = static_cast<int>(pixels.size()) / width;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits;
    for (COLORREF c : pixels) bits.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

// A top-level page window: its background from the skin, its list's
// notifications handed to the list, check-box clicks recorded.
class TestPage {
public:
    TestPage(int width = 400, int height = 300)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "QuiboSkinTestPage";
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        ::RegisterClassA(&wc);  // a second registration fails harmlessly
        window = ::CreateWindowExA(0, "QuiboSkinTestPage", "page", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width,
                                   height, nullptr, nullptr, wc.hInstance, this);
    }
    ~TestPage() { ::DestroyWindow(window); }
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;

    HWND Child(const char* className, const char* text, DWORD style, RECT box)
    {
        return ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                                 box.right - box.left, box.bottom - box.top, window, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    }

    HWND window = nullptr;
    WindowSkin skin;
    std::array<ImageSkin, 2> images;
    HBITMAP pictures[2] = {nullptr, nullptr};
    CProgressListCtrl* list = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> checkClicks;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            ::SetWindowLongPtrA(
                window, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        TestPage* page = reinterpret_cast<TestPage*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (page && message == WM_ERASEBKGND) {
            RECT client;
            ::GetClientRect(window, &client);
            PaintPageBackground(reinterpret_cast<HDC>(wParam), client, page->skin, page->images,
                                page->pictures[0], page->pictures[1]);
            return TRUE;
        }
        if (page && message == WM_NOTIFY && page->list) {
            LRESULT result = 0;
            if (page->list->OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
        }
        if (page && message == CProgressListCtrl::CheckboxClickedMessage()) {
            page->checkClicks.emplace_back(wParam, lParam);
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

// Milliseconds `work` takes.
template <typename Work>
double Milliseconds(Work&& work)
{
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    work();
    ::QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace skintest
