// Answers the updater's message boxes as a person would. Each box is given
// a moment to be drawn, then recorded and answered:
//
//   box<TAB>caption<TAB>text
//   boxstyle<TAB>buttons<TAB>icon<TAB>topmost|normal<TAB>style
//
// buttons: the visible buttons from left to right, by their ids' names ("yes,no");
// icon: question, information, warning, error, none, or unknown (matched by
// its pixels against the system's icons, the box belonging to another
// process; failing that, by the style); topmost: the window is, or its style
// asks for it; style: the MB_ style the program passed, in hex, as
// box_hook.dll saw it ("-" when unknown).
// The button pressed is the next of the ids asked for, or else OK (or Yes,
// or Cancel, whichever the box shows).
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "screenshots.h"
#include "updater_processes.h"

namespace host {

class BoxAnswerer {
public:
    BoxAnswerer(std::vector<int> presses, Screenshots& shots) : presses_(std::move(presses)), shots_(shots) {}

    // Looks for a box of the updater's processes and answers it once it has
    // been shown for a moment.
    void Poll(const UpdaterProcesses& processes);

private:
    void Answer(HWND box);

    std::vector<int> presses_;
    size_t next_ = 0;
    Screenshots& shots_;
    HWND seen_ = nullptr;  // the box being given its moment
    DWORD seenAt_ = 0;
    std::set<HWND> answered_;  // pressed already; waiting for them to close
};

// The updater's visible message box, or nullptr.
HWND FindBox(const UpdaterProcesses& processes);

}  // namespace host
