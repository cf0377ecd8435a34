#include "app/update_app.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <ctime>

#include "win/canonical_path.h"
#include "win/cng_crypto.h"
#include "win/file_status.h"
#include "win/host_messages.h"
#include "win/message_boxes.h"
#include "app/rewrite_leftovers.h"
#include "app/self_update.h"
#include "app/system_folders.h"
#include "app/win_config_seam.h"
#include "core/startup/command_line.h"
#include "core/startup/program_names.h"
#include "core/startup/run_guard.h"
#include "core/startup/self_update_lines.h"
#include "core/config/load_configurations.h"
#include "core/config/update_check.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "install/configured_programs.h"
#include "install/install_recovery.h"
#include "install/install_step_hook.h"
#include "ui/wizard.h"
#include "ui/wizard_messages.h"
#include "win/module_info.h"
#include "win/system_code_page.h"
#include "../../res/resource.h"

namespace quibo {

namespace {

const char kLogName[] = "client.log";
// A second start waits this long for the first to end.
constexpr DWORD kSecondStartWaitMs = 7000;

// Named from the program folder's one spelling, so that a start through
// another letter case or a short name finds the same folder. Empty when no
// hash can be made: the download then fails for want of a folder.
std::string OwnDownloadFolder(const std::string& tempFolder, const std::string& programFolder)
{
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return {};
    hasher->Add(CanonicalPath(programFolder));
    return DownloadFolderFor(tempFolder, hasher->Finish());
}

}  // namespace

int CUpdateApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    modulePath_ = GetModulePath();
    // The temporary copy of a self-update waits for the program it replaces
    // for as long as that program's end takes: its last hook may wait for a
    // person.
    bool copy = ReadCommandLine(CommandLineArguments(::GetCommandLineA()), SystemLeadBytes()).selfUpdate;
    // Named from the one spelling of the path: a start through another letter
    // case or a short name is the same program and must wait too.
    const std::string mutexName = MutexNameFor(CanonicalPath(modulePath_), SystemLeadBytes());
    // Earlier builds named it from the path as written; a copy fetched by one
    // of them waits for that name as well before it takes its own.
    const std::string writtenName = MutexNameFor(modulePath_, SystemLeadBytes());
    if (copy && writtenName != mutexName) SingleInstance::Acquire(writtenName, INFINITE).Release();
    instance_ = SingleInstance::Acquire(mutexName, copy ? INFINITE : kSecondStartWaitMs);
    if (!instance_.Held()) return 0;

    // Whatever outside input makes a pass throw, the end sequence still runs
    // and the host still hears that the updater is leaving.
    RunCaught([this] {
        StartUp();
        while (RunPass() == PassEnd::NewPass) {}
    });
    EndSequence();
    return 0;
}

void CUpdateApp::StartUp()
{
    ModulePathParts parts = SplitModulePath(modulePath_, SystemLeadBytes());
    context_.programFolder = parts.folder;
    context_.programFileName = parts.fileName;
    context_.packageName = PackageNameFor(parts.fileName, SystemLeadBytes());
    context_.dirs = ComputeDirConstants(context_.programFolder, ReadSystemFolders(), SystemLeadBytes());
    downloadFolder_ = OwnDownloadFolder(context_.dirs[DirConstant::Temp], context_.programFolder);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    trayIcon_ = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_UPDATE));
    // The mutex is held: no other run can be rewriting these files now.
    RemoveRewriteLeftovers(context_.programFolder, context_.programFileName);
}

CUpdateApp::PassEnd CUpdateApp::RunPass()
{
    // Every pass starts afresh: a pass after a new configuration package must
    // not see the self-update items, run mode or skin of the one before. Only
    // the no-network program of the last server configuration read carries on,
    // and whether the run has said that it takes server packages unverified.
    std::string noNetworkProgram = config_.system.runNonetwork;
    const bool unsignedNoticeLogged = config_.unsignedNoticeLogged;
    config_ = UpdateConfig();
    config_.system.runNonetwork = noNetworkProgram;
    config_.unsignedNoticeLogged = unsignedNoticeLogged;
    skin_ = UiSkin();
    context_.runMode = RunMode::Normal;
    selfFinish_ = false;

    if (!LoadPreSettings(context_.programFolder, context_.packageName, pre_)) return PassEnd::Finished;

    CreateTray();
    RunLog& log = RunLog::Instance();
    log.SetEnabled(pre_.logEnabled);
    if (pre_.logEnabled) log.Open(LogPath());

    commandLineOk_ = ParseCommandLine();
    if (!commandLineOk_) {
        WriteLog("命令行解析出错！");
        return PassEnd::Finished;
    }
    // A run that was killed while it installed is undone (or finished)
    // before anything reads the product's files. A check or a preview must
    // not close the product that waits for its answer: it leaves the journal
    // to the next run that may install.
    const std::string journal = InstallJournalPath(PackagePath());
    installBlocked_ = false;
    if (context_.runMode == RunMode::CheckVer || context_.runMode == RunMode::Preview) {
        if (InstallJournalPending(journal)) WriteLog("发现未完成的更新记录，留待下次更新时处理：" + journal);
    } else {
        installBlocked_ =
            !RecoveryAllowsInstall(RecoverInstall(journal, PackagePath(), StopAtStepFromEnvironment()));
    }
    if (trayCreated_) tray_.ShowTrayIcon();
    return RunFlow();
}

void CUpdateApp::CreateTray()
{
    icons_.LoadDefault(::GetModuleHandleA(nullptr));
    if (!pre_.trayEnabled || trayCreated_) return;
    // Hidden while the command line is read: a hand-over to the temporary
    // copy of a self-update never shows it.
    trayCreated_ = tray_.CreateTrayIcon(nullptr, kTrayNotify, AppTitle(), trayIcon_, kTrayIconId, false);
    if (!trayCreated_) return;
    tray_.SetDefaultMenuItem(IDM_SHOW_MAIN_WINDOW, false);
    tray_.HideTrayIcon();
}

void CUpdateApp::RemoveTray()
{
    if (!trayCreated_) return;
    tray_.RemoveTrayIcon();
    trayCreated_ = false;
}

bool CUpdateApp::ParseCommandLine()
{
    std::string_view arguments = CommandLineArguments(::GetCommandLineA());
    if (arguments.find_first_not_of(" \t") == std::string_view::npos) return true;

    CommandLineSwitches switches = ReadCommandLine(arguments, SystemLeadBytes());
    if (switches.hostWindow) hostWindow_ = reinterpret_cast<HWND>(static_cast<INT_PTR>(switches.hostWindow));
    if (switches.runMode) context_.runMode = *switches.runMode;

    if (switches.selfUpdate) {
        // This process is the temporary copy: it replaces the program and ends.
        RunLog::Instance().Disable();
        std::string program = ProgramNameForCopy(context_.programFileName, SystemLeadBytes());
        if (!program.empty())
            ReplaceProgram(SelfFiles(program), arguments, SystemLeadBytes());
        return false;
    }
    if (switches.selfFinish) {
        // Restarted by the temporary copy: wait for the copy to end, then remove it.
        RunLog::Instance().Disable();
        selfFinish_ = true;
        selfUpdateDone_ = true;
        RemoveProgramCopy(SelfFiles(context_.programFileName));
    }
    return true;
}

std::string CUpdateApp::LogPath() const { return context_.programFolder + kLogName; }

SelfUpdateFiles CUpdateApp::SelfFiles(const std::string& programFileName) const
{
    return SelfUpdateFiles{context_.programFolder, programFileName, context_.packageName};
}

bool CUpdateApp::ReadClientText(std::optional<std::string>& text)
{
    if (!FileExistsNonEmpty(PackagePath())) return true;
    PackageRead read = ReadPackage(PackagePath(), "client.dat", "");
    if (!read.duplicate.empty()) {
        std::string message =
            "错误：客户端配置文件:" + context_.packageName + "中有重名的文件：" + read.duplicate + "！";
        WriteLog(message);
        ShowInfoBox(message, nullptr, config_.showType);
        return false;
    }
    text = std::move(read.text);
    return true;
}

std::optional<std::string> CUpdateApp::ReadPackageText(const char* member) const
{
    if (!FileExistsNonEmpty(PackagePath())) return std::nullopt;
    return ReadPackageMember(PackagePath(), member, "");
}

CUpdateApp::PassEnd CUpdateApp::RunFlow()
{
    WinConfigSeam seam(modulePath_);

    std::optional<std::string> clientText;
    bool loaded = (context_.runMode == RunMode::Preview || ReadClientText(clientText)) &&
                  LoadConfigurations(config_, context_, clientText, seam);
    if (!loaded) {
        // The no-network program from the last server configuration parsed in this process.
        RunConfiguredProgram(ConfiguredProgram::NoNetwork, config_.system);
        HostNotify(hostWindow_, HostCode::NoNetwork);
        return PassEnd::Finished;
    }

    if (!LoadUiSkin(skin_, ReadPackageText("ui.dat"), context_, config_.showType, seam)) {
        HostNotify(hostWindow_, HostCode::ConfigError);
        return PassEnd::Finished;
    }

    if (context_.runMode == RunMode::Preview) {
        RunWizard();
        return PassEnd::Finished;
    }
    if (installBlocked_) {
        // Installing over a run that is not recovered could lose the old
        // files for good; a host hears the update failed.
        const std::string text = "上次未完成的更新尚未恢复，本次不进行更新！";
        WriteLog(text);
        ShowInfoBox(text, nullptr, config_.showType, MB_TOPMOST);
        HostNotify(hostWindow_, HostCode::DownloadFailed);
        return PassEnd::Finished;
    }

    WriteLog("★ 版本比较。");
    if (!CompareVersions(config_)) {
        HostNotify(hostWindow_, HostCode::NothingNew);
        if (config_.pages.noupdateWin != 0) {
            config_.showType = ShowType::Normal;
            ::MessageBoxA(nullptr, config_.pages.noupdateWinMsg.c_str(), kInfoCaption,
                          MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        }
        WriteLog("没有发现新版本！");
        return PassEnd::Finished;
    }

    // A check only reports what is newer: it never changes anything, the
    // updater's own files included.
    bool selfUpdate = CheckSelfUpdate(config_, context_, CanonicalPath);
    if (context_.runMode == RunMode::CheckVer) {
        ReportNewVersion();
        return PassEnd::Finished;
    }
    if (selfUpdate && selfUpdateDone_) {
        // Its own items still look newer after this process updated itself:
        // their version could not be recorded. Another self-update would
        // start the same one for ever; the rest of the product is updated.
        WriteLog("★ 自我升级后的版本没有记录，本次不再自我升级。");
        if (!LeaveOutSelfUpdate(config_)) return PassEnd::Finished;
        selfUpdate = false;
    }
    if (selfUpdate) return RunSelfUpdateCase();
    RunUpdateCase();
    return PassEnd::Finished;
}

void CUpdateApp::ReportNewVersion()
{
    WriteLog("发现新版本！");
    HostNotify(hostWindow_, HostCode::NewVersion);
}

CUpdateApp::PassEnd CUpdateApp::RunSelfUpdateCase()
{
    // The copy and the next pass take the log over.
    RunLog::Instance().Disable();
    context_.runMode = RunMode::SelfUpdate;
    if (RunWizard() == 0 || !selfUpdateFetched_) return PassEnd::Finished;

    const SelfUpdateFiles files = SelfFiles(context_.programFileName);
    if (config_.selfUpdateIndex >= 0) {
        const UpdateItem& item = config_.files[config_.selfUpdateIndex];
        if (FileExistsNonEmpty(files.CopyPath()) && CopyIsTheProgram(files)) {
            // Replacing the program with itself changes nothing; its version
            // is recorded here and the run goes on with the rest.
            ::DeleteFileA(files.CopyPath().c_str());
            RecordSelfVersion(files, ItemSection(ItemKind::File, config_.selfUpdateIndex), item.serverVersion);
            return StartNewPass();
        }
        // The end sequence follows either way; it releases the mutex the copy waits for.
        if (FileExistsNonEmpty(files.CopyPath())) {
            StartProgramCopy(files, HandOverArguments(CommandLineArguments(::GetCommandLineA()),
                                                      static_cast<long>(reinterpret_cast<INT_PTR>(hostWindow_)),
                                                      config_.selfUpdateIndex, item.serverVersion));
        }
        return PassEnd::Finished;
    }
    // Only the package was new: the download step has put it in place unless
    // the downloaded copy is still there.
    if (FileExistsNonEmpty(files.PackagePath() + ".ubk")) return PassEnd::Finished;
    return StartNewPass();
}

CUpdateApp::PassEnd CUpdateApp::StartNewPass()
{
    RunLog::Instance().Close(LogPath());  // logging is off: this removes the log of this pass
    RemoveTray();
    // One new pass at most: whatever the next pass finds of the updater's own
    // items is left out, so that a package or program that is fetched again
    // and again can never hold the mutex for ever.
    selfUpdateDone_ = true;
    return PassEnd::NewPass;
}

void CUpdateApp::RunUpdateCase()
{
    ReportNewVersion();

    // Case-sensitive on purpose: the restart after a self-update writes it so.
    bool selfFinish = std::string(::GetCommandLineA()).find("self_finish") != std::string::npos;
    if (config_.pages.startWin != 0 && !selfFinish && !IsSilent(config_.showType)) {
        int answer = ::MessageBoxA(nullptr, config_.pages.startWinMsg.c_str(), kInfoCaption,
                                   MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
        if (answer == IDNO) {
            WriteLog("用户退出升级程序！");
            return;
        }
    }

    RunConfiguredProgram(ConfiguredProgram::Before, config_.system);
    context_.runMode = RunMode::Normal;
    RunWizard();
}

int CUpdateApp::RunWizard()
{
    selfUpdateFetched_ = false;
    WizardState state(skin_, config_, icons_);
    state.tray = trayCreated_ ? &tray_ : nullptr;
    state.runMode = context_.runMode;
    state.hostWindow = hostWindow_;
    state.packagePath = PackagePath();
    state.downloadFolder = downloadFolder_;
    state.programFolder = context_.programFolder;
    state.programFileName = context_.programFileName;
    state.packageName = context_.packageName;
    state.installStepHook = ThrowAtStepFromEnvironment(StopAtStepFromEnvironment());
    state.selfUpdateDownload = context_.runMode == RunMode::SelfUpdate;
    bool completed = quibo::RunWizard(state);
    selfUpdateFetched_ = state.selfUpdateFetched;
    return completed ? 1 : 0;
}

void CUpdateApp::EndSequence()
{
    RunCaught([this] {
        RunConfiguredProgram(ConfiguredProgram::After, config_.system);
    });
    WriteLog("★ 升级结束。");
    HostNotify(hostWindow_, HostCode::Exiting);
    RunLog::Instance().Close(LogPath());
    RemoveTray();
    instance_.Release();
}

}  // namespace quibo
