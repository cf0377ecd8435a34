#include "screen_image.h"

#include <cstdio>
#include <cstdlib>

namespace host {

namespace {

// A top-down 32-bit DIB section that `draw` paints into, read back as pixels.
template <typename Draw>
ScreenImage Paint(int width, int height, Draw draw)
{
    ScreenImage image;
    if (width <= 0 || height <= 0) return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        draw(memory, screen);
        ::GdiFlush();
        const auto* source = static_cast<const uint32_t*>(bits);
        image.width = width;
        image.height = height;
        image.pixels.assign(source, source + static_cast<size_t>(width) * height);
        for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
        ::SelectObject(memory, old);
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (memory) ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return image;
}

}  // namespace

ScreenImage ScreenImage::Capture(const RECT& area)
{
    return Paint(area.right - area.left, area.bottom - area.top, [&](HDC memory, HDC screen) {
        ::BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top,
                 SRCCOPY);
    });
}

ScreenImage ScreenImage::CaptureWindow(HWND window)
{
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (window) ::GetWindowRect(window, &area);
    return Capture(area);
}

ScreenImage ScreenImage::RenderIcon(HICON icon, int width, int height, uint32_t background)
{
    return Paint(width, height, [&](HDC memory, HDC) {
        RECT all = {0, 0, width, height};
        // COLORREF is 0x00BBGGRR.
        HBRUSH brush =
            ::CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        ::FillRect(memory, &all, brush);
        ::DeleteObject(brush);
        ::DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    });
}

bool ScreenImage::SaveBmp(const std::string& path) const
{
    if (width <= 0 || height <= 0) return false;
    const int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // rows stored from the bottom
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rowBytes) * height;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok =
        std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1;
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = At(x, y);
            row[x * 3] = static_cast<unsigned char>(p & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((p >> 16) & 0xFF);
        }
        ok = std::fwrite(row.data(), row.size(), 1, out) == 1;
    }
    return std::fclose(out) == 0 && ok;
}

double Difference(const ScreenImage& a, const ScreenImage& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1;
    size_t differ = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        int distance = 0;
        for (int shift : {0, 8, 16})
            distance += std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                 static_cast<int>((b.pixels[i] >> shift) & 0xFF));
        if (distance > 48) ++differ;
    }
    return static_cast<double>(differ) / a.pixels.size();
}

}  // namespace host
