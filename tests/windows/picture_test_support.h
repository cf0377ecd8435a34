// BMP files made up for the picture tests, and what a bitmap holds read back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "core/package/package.h"

// One of eight pure colours (each channel 0 or 255), as 0x00RRGGBB.
inline uint32_t PureColor(int index)
{
    return (index & 1 ? 0xFF0000u : 0) | (index & 2 ? 0x00FF00u : 0) | (index & 4 ? 0x0000FFu : 0);
}

struct BmpShape {
    int32_t width = 5;
    int32_t height = 3;  // negative: top-down
    uint16_t bits = 24;
    uint32_t compression = BI_RGB;
    uint32_t infoSize = 40;
    // Colours in the picture: pixel (x, y) from the top shows
    // PureColor((x + 3y) % colours).
    int colours = 8;
};

// A BMP file of `shape` whose pixels follow PureColor. Palette pictures have
// one palette entry per colour; bit-field pictures use 5-6-5 (16 bits) or
// 8-8-8 (32 bits) masks.
inline std::string MakeBmp(const BmpShape& shape)
{
    auto put32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    };
    auto put16 = [](std::string& s, uint32_t v) {
        s += static_cast<char>(v);
        s += static_cast<char>(v >> 8);
    };
    const bool paletted = shape.bits <= 8;
    const int entries = paletted ? shape.colours : 0;
    const bool fields = shape.compression == BI_BITFIELDS;
    const uint32_t red = shape.bits == 16 ? 0xF800 : 0xFF0000, green = shape.bits == 16 ? 0x07E0 : 0xFF00,
                   blue = shape.bits == 16 ? 0x001F : 0xFF;
    const int rows = shape.height < 0 ? -shape.height : shape.height;
    const uint32_t stride = (static_cast<uint32_t>(shape.width) * shape.bits + 31) / 32 * 4;

    std::string info;
    put32(info, shape.infoSize);
    put32(info, static_cast<uint32_t>(shape.width));
    put32(info, static_cast<uint32_t>(shape.height));
    put16(info, 1);
    put16(info, shape.bits);
    put32(info, shape.compression);
    put32(info, stride * rows);
    put32(info, 2835);
    put32(info, 2835);
    put32(info, static_cast<uint32_t>(entries));
    put32(info, 0);
    if (shape.infoSize > 40) {  // the masks lie inside the larger headers
        put32(info, red);
        put32(info, green);
        put32(info, blue);
    }
    info.resize(shape.infoSize, '\0');
    if (fields && shape.infoSize == 40) {
        put32(info, red);
        put32(info, green);
        put32(info, blue);
    }
    for (int i = 0; i < entries; ++i) put32(info, PureColor(i));

    std::string pixels(stride * rows, '\0');
    for (int row = 0; row < rows; ++row) {
        int y = shape.height < 0 ? row : rows - 1 - row;  // file rows run from the bottom up
        char* line = &pixels[row * stride];
        for (int x = 0; x < shape.width; ++x) {
            int index = (x + 3 * y) % shape.colours;
            uint32_t c = PureColor(index);
            uint32_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
            if (paletted) {
                int perByte = 8 / shape.bits;
                int shift = 8 - shape.bits * (x % perByte + 1);
                line[x / perByte] = static_cast<char>(line[x / perByte] | index << shift);
            } else if (shape.bits == 16) {
                uint32_t v = fields ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
                std::memcpy(line + 2 * x, &v, 2);
            } else {
                int size = shape.bits / 8;
                char bgr[4] = {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), 0};
                std::memcpy(line + size * x, bgr, size);
            }
        }
    }
    std::string file = "BM";
    const uint32_t offBits = 14 + static_cast<uint32_t>(info.size());
    put32(file, offBits + static_cast<uint32_t>(pixels.size()));
    put32(file, 0);
    put32(file, offBits);
    return file + info + pixels;
}

// The bitmap's pixels as 0x00RRGGBB, rows from the top; empty when unreadable.
inline std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int& width, int& height)
{
    BITMAP info = {};
    if (!::GetObject(bitmap, sizeof info, &info)) return {};
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, bitmap, 0, height, pixels.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return {};
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// A configuration package at `path` holding `members` (name, bytes).
inline bool MakePackage(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members)
{
    {
        std::ofstream empty(path, std::ios::binary | std::ios::trunc);  // an end record, no members yet
        empty << std::string("PK\x05\x06", 4) << std::string(18, '\0');
    }
    for (const auto& member : members)
        if (!quibo::WritePackageMember(member.second, path, member.first, "")) return false;
    return true;
}
