// Watches every window of the updater processes at each poll (every 50 ms):
//
//   shown<TAB>title<TAB>w<TAB>h<TAB>client w<TAB>client h<TAB>client x<TAB>client y
//       a visible top-level window (not a box), each time it appears or its
//       title or size changes; the client area's origin is given within it
//   gone<TAB>title
//       such a window is no longer a visible top-level window
//   pageseen<TAB>kind<TAB>0|1
//       a wizard page (start, download, finished, update, known by its
//       controls) the first time it is seen hidden (0) or visible (1)
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "updater_processes.h"

namespace host {

class WindowWatch {
public:
    void Poll(const UpdaterProcesses& processes);

private:
    std::set<std::string> seen_;        // page lines recorded
    std::set<HWND> visible_;            // top-level windows visible at the last poll
    std::map<HWND, std::string> shownLine_;
};

}  // namespace host
