// The 16 x 16 animated icon strip of the window and tray icons: an image list
// with a colour mask, the number of frames the configuration asked for, and
// up to ten icons taken from it. Used on the user-interface thread only.
//
// The frame count comes from the skin and is believed only as far as the
// strip really holds images: a skin that claims two thousand million frames
// of a three-image picture animates three.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/gdi_objects.h"

namespace quibo {

class IconStrip {
public:
    static constexpr int kIconSide = 16;
    static constexpr int kMaxIcons = 10;
    static constexpr int kDefaultFrames = 4;

    IconStrip() = default;
    ~IconStrip();
    IconStrip(const IconStrip&) = delete;
    IconStrip& operator=(const IconStrip&) = delete;

    // The program's own strip: bitmap resource 129, four frames, black as
    // the transparent colour.
    void LoadDefault(HINSTANCE module);
    // The skin's strip from `sysicon`, "member:frames" (spaces are removed).
    // Afterwards `sysicon` holds the member name alone; without a ':' it is
    // emptied and "sys_icon配置错误：" logged. Fewer than two characters, or
    // a picture that cannot be loaded, keep the strip as it was.
    void LoadFromSkin(std::string& sysicon, const std::string& packagePath, HWND window);

    int FrameCount() const { return frames_; }  // as configured
    int ImageCount() const;                     // images really in the strip
    int AnimationFrames() const;                // min(FrameCount, ImageCount), never negative

    // A new icon of image `index` for the caller to own; null when there is no such image.
    UniqueIcon MakeIcon(int index) const;
    // The icon table: one entry per frame up to kMaxIcons, null where the
    // strip has no image. Owned by the strip until it is loaded again.
    const std::vector<HICON>& Icons() const { return icons_; }

private:
    void Replace(UniqueImageList list, int frames);
    void DestroyIcons();

    UniqueImageList list_;
    int frames_ = 0;
    std::vector<HICON> icons_;
};

}  // namespace quibo
