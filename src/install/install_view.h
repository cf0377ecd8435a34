// What the installation shows while it runs: the update page implements it
// with its controls and boxes, tests by recording the calls. Called on the
// installation's own thread.
#pragma once

#include <string>

namespace quibo {

class InstallView {
public:
    virtual ~InstallView() = default;

    // A status line: the page's status text and log box, and the run log.
    virtual void SetStatus(const std::string& text) = 0;
    // The tray tip's stage text, shown after the window title and a line
    // break; nothing when there is no tray icon.
    virtual void SetTrayStage(const std::string& stage) = 0;
    // The page's progress bar.
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgress(int position) = 0;
    // An information box; none in a silent run. Returns once it is answered.
    virtual void ShowInfo(const std::string& text) = 0;
    // A Retry / Cancel box; true for Retry. A silent run shows none and
    // answers false.
    virtual bool AskRetry(const std::string& text) = 0;
};

}  // namespace quibo
