#include "ui/icon_strip.h"

#include <algorithm>

#include "core/config/skin_attributes.h"
#include "core/log/run_log.h"
#include "ui/package_bitmap.h"

#include "../../res/resource.h"

namespace quibo {

namespace {

constexpr UINT kStripFlags = ILC_COLOR24 | ILC_MASK;
constexpr COLORREF kTransparent = RGB(0, 0, 0);

int BitmapWidth(HBITMAP bitmap)
{
    BITMAP info = {};
    return ::GetObject(bitmap, sizeof info, &info) ? info.bmWidth : 0;
}

// The bitmap cut into 16 x 16 images; none at all for `frames` of 0 or less.
// The list is sized by the picture, never by the frame count.
UniqueImageList CutStrip(HBITMAP bitmap, int frames)
{
    int images = frames > 0 ? BitmapWidth(bitmap) / IconStrip::kIconSide : 0;
    UniqueImageList list(::ImageList_Create(IconStrip::kIconSide, IconStrip::kIconSide, kStripFlags,
                                            std::max(images, 1), 1));
    if (list && images > 0) ::ImageList_AddMasked(list.Get(), bitmap, kTransparent);
    return list;
}

}  // namespace

IconStrip::~IconStrip() { DestroyIcons(); }

void IconStrip::LoadDefault(HINSTANCE module)
{
    UniqueBitmap bitmap(::LoadBitmapA(module, MAKEINTRESOURCEA(IDB_ICON_STRIP)));
    UniqueImageList list;
    if (bitmap)
        list = CutStrip(bitmap.Get(), kDefaultFrames);
    else
        list = UniqueImageList(
            ::ImageList_LoadBitmap(module, MAKEINTRESOURCEA(IDB_ICON_STRIP), kIconSide, 1, kTransparent));
    Replace(std::move(list), kDefaultFrames);
}

void IconStrip::LoadFromSkin(std::string& sysicon, const std::string& packagePath, HWND window)
{
    sysicon.erase(std::remove(sysicon.begin(), sysicon.end(), ' '), sysicon.end());
    if (sysicon.size() < 2) return;
    size_t colon = sysicon.find(':');
    if (colon == std::string::npos) {
        WriteLog("sys_icon配置错误：");
        sysicon.clear();
        return;
    }
    int frames = ParseInt(std::string_view(sysicon).substr(colon + 1), 0);
    sysicon.erase(colon);
    UniqueBitmap bitmap = LoadPackageBitmap(window, packagePath, sysicon);
    if (!bitmap) return;
    Replace(CutStrip(bitmap.Get(), frames), frames);
}

int IconStrip::ImageCount() const { return list_ ? std::max(::ImageList_GetImageCount(list_.Get()), 0) : 0; }

int IconStrip::AnimationFrames() const { return std::max(std::min(frames_, ImageCount()), 0); }

UniqueIcon IconStrip::MakeIcon(int index) const
{
    if (index < 0 || index >= ImageCount()) return {};
    return UniqueIcon(::ImageList_GetIcon(list_.Get(), index, ILD_NORMAL));
}

void IconStrip::Replace(UniqueImageList list, int frames)
{
    DestroyIcons();
    list_ = std::move(list);
    frames_ = frames;
    for (int i = 0; i < std::min(frames_, kMaxIcons); ++i) icons_.push_back(MakeIcon(i).Release());
}

void IconStrip::DestroyIcons()
{
    for (HICON icon : icons_)
        if (icon) ::DestroyIcon(icon);
    icons_.clear();
}

}  // namespace quibo
