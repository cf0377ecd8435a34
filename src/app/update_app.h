// CUpdateApp: the application object. The whole run happens in InitInstance,
// which always answers 0 so that no message loop follows: start-up, one or
// more passes of the run flow, and the end sequence.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/pre_settings.h"
#include "app/self_update.h"
#include "app/single_instance.h"
#include "core/startup/run_mode.h"
#include "core/config/config_context.h"
#include "core/config/ui_skin.h"
#include "core/config/update_config.h"
#include "ui/icon_strip.h"
#include "ui/system_tray.h"

namespace quibo {

class CUpdateApp {
public:
    int InitInstance();

    // Start-up values, read by the pages and workers.
    HWND HostWindow() const { return hostWindow_; }
    RunMode Mode() const { return context_.runMode; }
    const ConfigContext& Context() const { return context_; }
    const std::string& ModulePath() const { return modulePath_; }
    const std::string& DownloadFolder() const { return downloadFolder_; }
    UpdateConfig& Config() { return config_; }
    const UiSkin& Skin() const { return skin_; }

private:
    enum class PassEnd { Finished, NewPass };

    void StartUp();
    PassEnd RunPass();
    void CreateTray();
    void RemoveTray();
    bool ParseCommandLine();
    PassEnd RunFlow();
    PassEnd RunSelfUpdateCase();
    // After the updater's own files changed: the next pass reads them afresh.
    PassEnd StartNewPass();
    void RunUpdateCase();
    void ReportNewVersion();
    // Shows the wizard; 0 when it was cancelled or failed.
    int RunWizard();
    void EndSequence();
    std::optional<std::string> ReadPackageText(const char* member) const;
    // "client.dat" (left unset without a package). False, after a box and a
    // log line, for a package that names a member twice: a read and the
    // write-back of new versions could meet different copies.
    bool ReadClientText(std::optional<std::string>& text);
    std::string PackagePath() const { return context_.programFolder + context_.packageName; }
    // In the program folder, wherever the host started the updater from.
    std::string LogPath() const;
    SelfUpdateFiles SelfFiles(const std::string& programFileName) const;

    std::string modulePath_;
    std::string downloadFolder_;
    ConfigContext context_;
    HWND hostWindow_ = nullptr;
    PreSettings pre_;
    bool commandLineOk_ = true;
    bool selfFinish_ = false;         // restarted by the copy of a self-update
    bool installBlocked_ = false;     // an earlier installation is not recovered: nothing is installed
    bool selfUpdateFetched_ = false;  // the last wizard fetched and verified the updater's own files
    bool selfUpdateDone_ = false;     // this process already updated itself (or was restarted for it)
    SingleInstance instance_;
    HICON trayIcon_ = nullptr;
    IconStrip icons_;  // the window and tray icon animation
    CSystemTray tray_;
    bool trayCreated_ = false;
    UpdateConfig config_;
    UiSkin skin_;
};

}  // namespace quibo
