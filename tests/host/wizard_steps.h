// Drives the updater's wizard as a person would: each step presses one button
// of the visible page once it is enabled (with the whole window) and shows the
// asked-for text, and it has stayed so for a moment. A step is written
//
//   ID          the button with control id ID, whatever it shows
//   ID:TEXT     that button, once it shows TEXT (exactly, "&" included)
//   :TEXT       any button that shows TEXT
//   key:VK      the key with virtual-key code VK, pressed on the visible page
//   key:VK:ID   the same, once the visible page holds control ID
//   minimize    the wizard's minimise box
//   close       the wizard's close box
//   trayclick   a left click on the first icon of the tray
//   sleep:MS    nothing for MS milliseconds, while messages are still taken
//               (after it, the button last pressed may be pressed again)
//
// The steps are taken in order. Pressing a step records what the person saw:
//
//   page<TAB>window title
//   row<TAB>list id<TAB>cell<TAB>cell...   every row of every visible list view
//   shot<TAB>path                          when screenshots are asked for
//   click<TAB>id<TAB>button text
//   key<TAB>VK
//   minimize, close, trayclick
//   sleep<TAB>MS     when a wait begins, and slept<TAB>MS when it ends
//
// and at the end each step that never came is recorded as "pending<TAB>STEP".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "screenshots.h"
#include "updater_processes.h"

namespace host {

class WizardSteps {
public:
    WizardSteps(std::vector<std::string> steps, Screenshots& shots) : steps_(std::move(steps)), shots_(shots)
    {
    }

    void Poll(const UpdaterProcesses& processes);
    void RecordPending() const;

private:
    struct Seen {
        HWND button = nullptr;
        std::string text;
        HWND page = nullptr;
        bool operator==(const Seen& o) const
        {
            return button == o.button && text == o.text && page == o.page;
        }
    };

    Seen FindButton(const UpdaterProcesses& processes, HWND& top) const;
    void Press(HWND top, const Seen& seen);
    bool PressKey(const UpdaterProcesses& processes);
    bool UseWindow(const UpdaterProcesses& processes);
    void Wait();

    std::vector<std::string> steps_;
    size_t next_ = 0;
    Screenshots& shots_;
    Seen candidate_;  // ready, being given its moment
    DWORD candidateAt_ = 0;
    DWORD settledAt_ = 0;  // when the last step was taken
    DWORD waitFrom_ = 0;  // when the running sleep step began; 0 when none runs
    Seen pressed_;  // the last press: the same button, text and page is never pressed twice in a row
};

}  // namespace host
