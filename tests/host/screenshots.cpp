#include "screenshots.h"

#include <cstdio>

#include "screen_image.h"
#include "window_facts.h"

namespace host {

void Screenshots::Take(HWND window, const char* what)
{
    if (folder_.empty()) return;
    char name[64];
    std::snprintf(name, sizeof name, "%02d-%s.bmp", ++taken_, what);
    std::string path = folder_ + (folder_.back() == '\\' ? "" : "\\") + name;
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    if (ScreenImage::CaptureWindow(wholeScreen_ ? nullptr : window).SaveBmp(path))
        Record("shot\t" + path);
    else
        Record("shot\t" + path + "\tnot written");
}

}  // namespace host
