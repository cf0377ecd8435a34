#include "ui/package_bitmap.h"

#include <cstring>
#include <vector>

#include "core/image/bmp_layout.h"
#include "core/log/run_log.h"
#include "core/package/package.h"

namespace quibo {

namespace {

// The header that CreateDIBitmap is given: always the plain 40-byte one (a
// larger header may point at colour profiles elsewhere in the file), then the
// three masks of a bit-field picture, then the palette.
struct DibHeader {
    BITMAPINFOHEADER header;
    DWORD table[3 + 256];
};

// Copies the picture's header, masks and palette into `dib`; returns where
// the palette lies in it.
RGBQUAD* FillHeader(DibHeader& dib, std::string_view bytes, const BmpLayout& layout)
{
    std::memset(&dib, 0, sizeof dib);
    std::memcpy(&dib.header, bytes.data() + layout.infoOffset, sizeof dib.header);
    dib.header.biSize = sizeof dib.header;
    dib.header.biClrUsed = layout.paletteEntries;
    dib.header.biSizeImage = static_cast<DWORD>(layout.bitsSize);
    size_t tableAt = layout.colorTableOffset;
    DWORD* palette = dib.table;
    if (layout.compression == BmpCompression::BitFields) {
        // A 40-byte header is followed by the masks; the larger ones hold them.
        size_t masksAt = layout.infoSize == sizeof(BITMAPINFOHEADER) ? layout.colorTableOffset
                                                                     : layout.infoOffset + sizeof(BITMAPINFOHEADER);
        std::memcpy(dib.table, bytes.data() + masksAt, 3 * sizeof(DWORD));
        if (layout.infoSize == sizeof(BITMAPINFOHEADER)) tableAt += 3 * sizeof(DWORD);
        palette += 3;
    }
    std::memcpy(palette, bytes.data() + tableAt, layout.paletteEntries * sizeof(RGBQUAD));
    return reinterpret_cast<RGBQUAD*>(palette);
}

// A logical palette of the picture's colours, for screens that have one.
UniquePalette MakePalette(const RGBQUAD* colors, std::uint32_t count)
{
    std::vector<char> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    for (std::uint32_t i = 0; i < count; ++i)
        palette->palPalEntry[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    return UniquePalette(::CreatePalette(palette));
}

// The palette realised in a context for a scope, and the previous one back
// before the palette may be deleted.
class RealizedPalette {
public:
    RealizedPalette(HDC dc, HPALETTE palette) : dc_(dc)
    {
        if (!palette) return;
        previous_ = ::SelectPalette(dc, palette, FALSE);
        ::RealizePalette(dc);
    }
    ~RealizedPalette()
    {
        if (previous_) ::SelectPalette(dc_, previous_, FALSE);
    }
    RealizedPalette(const RealizedPalette&) = delete;
    RealizedPalette& operator=(const RealizedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_ = nullptr;
};

UniqueBitmap MakeBitmap(HWND window, std::string_view bytes, const BmpLayout& layout)
{
    DibHeader dib;
    const RGBQUAD* colors = FillHeader(dib, bytes, layout);
    UniquePalette palette;
    if (layout.paletteEntries > 0 && layout.paletteEntries <= 256) palette = MakePalette(colors, layout.paletteEntries);
    WindowDc dc(window);
    if (!dc) return {};
    RealizedPalette realized(dc.Get(), palette.Get());
    return UniqueBitmap(::CreateDIBitmap(dc.Get(), &dib.header, CBM_INIT, bytes.data() + layout.bitsOffset,
                                         reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS));
}

}  // namespace

UniqueBitmap DibToBitmap(HWND window, std::string_view bytes)
{
    BmpParse parse = ParseBmp(bytes);
    if (parse.error != BmpError::None) return {};
    return MakeBitmap(window, bytes, parse.layout);
}

UniqueBitmap LoadPackageBitmap(HWND window, const std::string& packagePath, const std::string& member)
{
    const std::string missing = "没有找到图像文件：" + member;
    PackageRead read = ReadPackage(packagePath, member, "", kMaxPictureMemberSize);
    if (read.text.empty()) {
        WriteLog(missing);
        return {};
    }
    BmpParse parse = ParseBmp(read.text);
    UniqueBitmap bitmap = parse.error == BmpError::None ? MakeBitmap(window, read.text, parse.layout) : UniqueBitmap();
    if (!bitmap) {
        WriteLog(missing);
        WriteLog("图像文件不能显示：" + member + "（" +
                 (parse.error == BmpError::None ? "the system made no bitmap of it" : BmpErrorText(parse.error)) +
                 "）");
    }
    return bitmap;
}

}  // namespace quibo
