// Pictures of the skin, read from the configuration package and turned into
// bitmaps for the screen. A picture is only ever drawn after its layout was
// checked against its bytes (core/image/bmp_layout.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "win/gdi_objects.h"

namespace quibo {

// Large enough for the largest picture that is drawn at all (4096 x 4096 at
// 32 bits) with its headers; a member that claims to inflate to more is not
// read.
constexpr std::uint32_t kMaxPictureMemberSize = 4096u * 4096u * 4u + 64u * 1024u;

// A device-dependent bitmap for `window`'s screen from the BMP member `member`
// of the package at `packagePath`. Null when the member cannot be read (run
// log: "没有找到图像文件：" + member) or its picture is refused (the same
// line, then one naming the reason).
UniqueBitmap LoadPackageBitmap(HWND window, const std::string& packagePath, const std::string& member);

// The same for BMP file bytes held in memory; null for anything ParseBmp
// refuses or the system cannot turn into a bitmap.
UniqueBitmap DibToBitmap(HWND window, std::string_view bytes);

}  // namespace quibo
