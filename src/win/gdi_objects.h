// Owners of GDI and USER objects, and of the device contexts they are drawn
// in. A device context gives back whatever was selected into it before it is
// released, so no object is ever deleted while it is selected.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "win/scoped_handle.h"

namespace quibo {

template <typename H>
struct TypedGdiTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyIcon(h); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::ImageList_Destroy(h); }
};

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};

using UniqueBitmap = ScopedHandle<TypedGdiTraits<HBITMAP>>;
using UniqueFont = ScopedHandle<TypedGdiTraits<HFONT>>;
using UniqueBrush = ScopedHandle<TypedGdiTraits<HBRUSH>>;
using UniquePalette = ScopedHandle<TypedGdiTraits<HPALETTE>>;
using UniqueIcon = ScopedHandle<IconTraits>;
using UniqueImageList = ScopedHandle<ImageListTraits>;
using UniqueMenu = ScopedHandle<MenuTraits>;

// A memory device context compatible with `like` (the screen when null). Every
// object selected through Select is selected out again before the context is
// deleted.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(::CreateCompatibleDC(like)) {}
    ~MemoryDc()
    {
        if (!dc_) return;
        if (oldBitmap_) ::SelectObject(dc_, oldBitmap_);
        if (oldFont_) ::SelectObject(dc_, oldFont_);
        ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

    // Selects a bitmap (the first selection's predecessor is kept for the end).
    void Select(HBITMAP bitmap) { Keep(oldBitmap_, ::SelectObject(dc_, bitmap)); }
    void Select(HFONT font) { Keep(oldFont_, ::SelectObject(dc_, font)); }

private:
    static void Keep(HGDIOBJ& slot, HGDIOBJ previous)
    {
        if (!slot) slot = previous;
    }

    HDC dc_;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

// GetDC / ReleaseDC of one window (the screen when null).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects one object into a context for a scope, and the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC / RestoreDC around a drawing step that changes the colours, the
// clipping, the origin or the selected objects of a context it was lent.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), level_(::SaveDC(dc)) {}
    ~SavedDc()
    {
        if (level_ != 0) ::RestoreDC(dc_, level_);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int level_;
};

}  // namespace quibo
