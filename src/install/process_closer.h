// Ending the programs that hold the files an installation is about to
// replace: each is asked to quit, then forced, then retried as the user says.
// Everything here runs on the installation's thread; the boxes are modal there.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "install/install_view.h"
#include "win/scoped_handle.h"

namespace quibo {

// First top-level window, in the system's enumeration order, that belongs to
// the process; nullptr when it has none.
HWND FindProcessWindow(DWORD processId);

// Process of the first top-level window with exactly this title (any class),
// or of this class (any title); windows of this process are passed over, so
// the updater never finds itself. 0 when there is none.
DWORD FindProcessByWindowTitle(const std::string& title);
DWORD FindProcessByWindowClass(const std::string& className);

struct CloseLimits {
    DWORD quitWaitMs = 5000;   // a program asked to quit has this long to end by itself
    DWORD endWaitMs = 3000;    // after a forced end, until its files are released
    int retryLimit = 3;        // forced ends tried before the user is asked again
    DWORD retryPauseMs = 500;  // between those tries
};

// The system calls that act on another process, one place so that a program
// which cannot be opened or ended can be staged.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // A handle that may end the process and be waited on; empty on failure.
    virtual UniqueHandle Open(DWORD processId);
    virtual HWND WindowOf(DWORD processId);
    virtual bool PostQuit(HWND window);
    virtual bool Terminate(HANDLE process);
};

// True only when the process has ended within `ms`: a wait that fails (a
// handle without the right to wait, a closed one) tells nothing.
bool WaitForProcessEnd(HANDLE process, DWORD ms);

// Ends one process: the quit message to its first top-level window and up to
// quitWaitMs for it to end, otherwise (or with no window at once) a forced
// end. False, its texts already shown, when it could not be ended; this
// process itself is never ended.
bool CloseProcess(DWORD processId, InstallView& view, const CloseLimits& limits = {});
// `whenOpened` runs once the process is open and before it is asked to end:
// the place for the warning, so that a program which cannot even be opened
// gives its failure texts without a warning first.
bool CloseProcess(DWORD processId, InstallView& view, const CloseLimits& limits, ProcessControl& control,
                  const std::function<void()>& whenOpened = {});

struct ClosingStage {
    std::vector<std::string> byExecutable;  // close_proc1: image file names
    std::vector<std::string> byTitle;       // close_proc2: top-level window titles
    std::vector<std::string> byClass;       // close_proc3: top-level window classes
    // Full target paths in the installation's order (first record of each file
    // item, then every record of each folder item); only programs and
    // libraries (".exe", ".dll") that exist and are locked name a process.
    std::vector<std::string> lockedTargets;
    bool warn = false;    // close_win
    std::string warning;  // close_win_msg
};

// Closes every running process the stage names, lists first, then the locked
// targets. `warned` is the run's mark that the warning was shown: it is shown
// once, before the first program is ended. False when a program could not be
// ended (its texts already shown); the installation must then stop before it
// touches a file.
bool CloseRelatedPrograms(const ClosingStage& stage, bool& warned, InstallView& view,
                          const CloseLimits& limits = {});
bool CloseRelatedPrograms(const ClosingStage& stage, bool& warned, InstallView& view, const CloseLimits& limits,
                          ProcessControl& control);

}  // namespace quibo
