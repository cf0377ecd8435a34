// The one state of a wizard run, handed to the frame and to every page (as
// the Windows wizard samples hand one shared structure to all their pages).
// The application fills it before the frame is created; the pages read it,
// and change only what a run may change while it is shown: the display type
// (the tray command shows a hidden wizard) and the page-side flags below.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/config/ui_skin.h"
#include "core/config/update_config.h"
#include "core/startup/run_mode.h"
#include "core/transfer/download_records.h"

namespace quibo {

class CSystemTray;
class IconStrip;

struct WizardState {
    WizardState(const UiSkin& s, UpdateConfig& c, IconStrip& i) : skin(s), config(c), icons(i) {}

    const UiSkin& skin;
    UpdateConfig& config;  // the items, the merged settings and config.showType
    IconStrip& icons;      // the window and tray icon animation
    CSystemTray* tray = nullptr;  // null when the tray icon is off or could not be made
    RunMode runMode = RunMode::Normal;
    HWND hostWindow = nullptr;  // told the outcome; null without "/HWND:"
    std::string packagePath;    // the configuration package, for the skin's pictures
    std::string downloadFolder;       // ends with "\"
    std::string programFolder;        // ends with "\"
    std::string programFileName;      // without ".exe"
    std::string packageName;
    bool selfUpdateDownload = false;  // the download page fetches the updater's own files
    bool selfUpdateFetched = false;   // ... and they were all fetched, verified and (the package) swapped in

    // What the download step placed in the download folder, for the installation.
    DownloadRecords records;
    // Called before every recorded step of the installation; tests stop a run there.
    std::function<void(int step)> installStepHook;

    bool Silent() const { return IsSilent(config.showType); }
    bool NormalDisplay() const { return config.showType == ShowType::Normal; }
};

}  // namespace quibo
