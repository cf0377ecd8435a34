// The look of the wizard, read from "ui.dat" of the configuration package:
// for each of the four pages (0 start, 1 download, 2 download finished,
// 3 update) its window, pictures, labels, buttons and controls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/config/config_context.h"
#include "core/config/config_seam.h"
#include "core/config/skin_attributes.h"

namespace quibo {

constexpr int kSkinPageCount = 4;

struct WindowSkin {
    SkinRect rect;
    std::uint32_t clrbk = 0;
    int show = 0;
};

struct ImageSkin {
    SkinRect rect;
    std::string bmpfile;  // picture member of the configuration package
    int show = 0;
};

struct StaticSkin {
    SkinRect rect;
    std::string text;
    std::string url;  // a label with an address is a link
    int norUnderline = 0;
    int hovUnderline = 0;
    std::uint32_t clrtext = 0;
    std::uint32_t clrnormal = 0;
    std::uint32_t clrHover = 0;
    int fontsize = 0;
    int fontweight = 0;
    int fontitalic = 0;
    int fontunderline = 0;
    int show = 0;
};

struct ButtonSkin {
    SkinRect rect;
    std::string text;
};

struct ControlSkin {
    SkinRect rect;
    int show = 0;
};

struct UiSkin {
    std::string title = "自动升级程序";
    std::string sysicon;  // "member.bmp:frames" for the animated icon strip
    std::array<WindowSkin, kSkinPageCount> windows;
    std::array<std::array<ImageSkin, 2>, kSkinPageCount> images;
    std::array<std::array<StaticSkin, 4>, kSkinPageCount> statics;
    std::array<std::array<ButtonSkin, 2>, kSkinPageCount> buttons;
    std::array<ControlSkin, 2> lists;      // pages 0 and 1
    std::array<ControlSkin, 2> richEdits;  // pages 1 and 3
    std::array<ControlSkin, 3> progress;   // page 1 (two), page 3
    std::array<ControlSkin, 3> status;     // page 1 (two), page 3
};

// `uiText` is the member "ui.dat" as the caller read it: nullopt when the
// package file is missing or empty, empty text when the member could not be
// read. On failure an information box is shown (unless `showType` is silent)
// and false returned. Nothing is written to the run log while the skin is read.
bool LoadUiSkin(UiSkin& skin, const std::optional<std::string>& uiText, const ConfigContext& context,
                ShowType showType, ConfigSeam& seam);

}  // namespace quibo
