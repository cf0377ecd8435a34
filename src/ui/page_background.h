// The background every wizard page paints for itself: the skin's colour and
// up to two pictures in which white is see-through.
#pragma once

#include <windows.h>

#include <array>

#include "core/config/ui_skin.h"

namespace quibo {

// The page's WM_ERASEBKGND body: fills `client` with window.clrbk, then draws
// each picture whose images[i].show is set, stretched into images[i].rect with
// white (0xFFFFFF) see-through. Null pictures and empty rectangles are skipped.
// Only what the context can show is worked on, so a picture rectangle of any
// size costs no more than the visible part.
void PaintPageBackground(HDC dc, const RECT& client, const WindowSkin& window,
                         const std::array<ImageSkin, 2>& images, HBITMAP picture0, HBITMAP picture1);

// Stretches the part (srcX, srcY, srcW, srcH) of `source` into (x, y, w, h) of
// `dest`, leaving the pixels of colour `transparent` unpainted. Nothing is
// drawn for a non-positive size. The masks are built for the part of the
// destination inside the context's clip box only. False when drawing failed.
bool DrawTransparentStretched(HDC dest, int x, int y, int w, int h, HBITMAP source, int srcX, int srcY,
                              int srcW, int srcH, COLORREF transparent);

}  // namespace quibo
