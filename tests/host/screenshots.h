// Screenshots the host takes at each box and each pressed wizard button when
// asked to: BMP files "NN-box.bmp", "NN-page.bmp" in one folder, numbered in
// the order taken, each recorded as "shot<TAB>path".
#pragma once

#include <windows.h>

#include <string>

namespace host {

class Screenshots {
public:
    // folder empty: none are taken; wholeScreen: the screen instead of the window.
    Screenshots(std::string folder, bool wholeScreen) : folder_(std::move(folder)), wholeScreen_(wholeScreen)
    {
    }

    void Take(HWND window, const char* what);

private:
    std::string folder_;
    bool wholeScreen_;
    int taken_ = 0;
};

}  // namespace host
