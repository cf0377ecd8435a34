// Pixels read back from the screen, as a person sees them, and written out as
// a BMP file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top

    // What the screen shows inside `area` (screen coordinates).
    static ScreenImage Capture(const RECT& area);
    // The window's rectangle on the screen, or the whole screen for nullptr.
    static ScreenImage CaptureWindow(HWND window);
    // `icon` drawn at width x height over a plain `background`.
    static ScreenImage RenderIcon(HICON icon, int width, int height, uint32_t background);

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Writes a 24-bit BMP; false when the file cannot be written.
    bool SaveBmp(const std::string& path) const;
};

// The share of pixels that differ visibly between two images of one size
// (1 when the sizes differ).
double Difference(const ScreenImage& a, const ScreenImage& b);

}  // namespace host
