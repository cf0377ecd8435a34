#include "app/self_update.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "core/config/client_config.h"
#include "core/startup/command_line.h"
#include "core/startup/self_update_lines.h"
#include "install/file_copy.h"
#include "win/file_replace.h"
#include "win/file_status.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

// The program's process may still be going away when the copy finds the
// mutex free; these bound how long the copy looks and retries for it.
constexpr int kProcessWaits = 12;
constexpr DWORD kProcessWaitMs = 200;
constexpr int kReplaceTries = 10;
constexpr DWORD kReplaceRetryMs = 300;
// Larger programs are taken to differ rather than read into memory.
constexpr LONGLONG kMaxProgramSize = 256LL * 1024 * 1024;

// The working folder of a started program: the program folder without its
// last "\" (a drive's root keeps it, "C:" alone names another folder).
std::string WorkingFolder(const std::string& programFolder)
{
    std::string folder = programFolder;
    if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}

bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder, int show)
{
    SHELLEXECUTEINFOA info = {sizeof info};
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = show;
    if (!::ShellExecuteExA(&info)) return false;
    if (info.hProcess) ::CloseHandle(info.hProcess);
    return true;
}

// Waits while a process of that name runs, dispatching one pending message
// after each wait so that the process's own windows are not left unanswered.
void WaitWhileRunning(const std::string& fileName)
{
    for (int waits = 0; waits < kProcessWaits && FindProcessByName(fileName) != 0; ++waits) {
        ::Sleep(kProcessWaitMs);
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
}

bool PutCopyInPlace(const SelfUpdateFiles& files)
{
    for (int tries = 0;; ++tries) {
        if (CopyFileInto(files.CopyPath(), files.ProgramPath())) return true;
        if (tries + 1 == kReplaceTries) return false;
        ::Sleep(kReplaceRetryMs);
    }
}

// Sets `ver` of the record's section in the package's "client.dat". The
// package is changed in a copy beside it that is renamed over it, so a
// failure at any point leaves the old package whole. Silent on failure: the
// restarted program then installs the rest without the updater's own items.
void RecordVersion(const SelfUpdateFiles& files, const SelfVersionRecord& record)
{
    RecordSelfVersion(files, record.section, record.version);
}

std::optional<std::string> ReadWhole(const std::string& path)
{
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxProgramSize) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size())
        return std::nullopt;
    return bytes;
}

}  // namespace

bool CopyIsTheProgram(const SelfUpdateFiles& files)
{
    std::optional<std::string> copy = ReadWhole(files.CopyPath());
    std::optional<std::string> program = copy ? ReadWhole(files.ProgramPath()) : std::nullopt;
    return copy && program && *copy == *program;
}

bool RecordSelfVersion(const SelfUpdateFiles& files, const std::string& section, const std::string& version)
{
    return WriteClientVersion(files.PackagePath(), section, version, ReplaceFileDurably);
}

bool StartProgramCopy(const SelfUpdateFiles& files, const std::string& arguments)
{
    return StartProgram(files.CopyPath(), arguments, WorkingFolder(files.programFolder), SW_HIDE);
}

void ReplaceProgram(const SelfUpdateFiles& files, std::string_view copyArguments, LeadByteRule rule)
{
    WaitWhileRunning(files.programFileName);
    if (!PutCopyInPlace(files)) return;
    // The version is recorded only once the new program is in place.
    if (std::optional<SelfVersionRecord> record = ReadHandOverValue(GetSwitchValue(copyArguments, "self_update", rule)))
        RecordVersion(files, *record);
    StartProgram(files.ProgramPath(), FinishArguments(copyArguments, rule), WorkingFolder(files.programFolder),
                 SW_SHOW);
}

void RemoveProgramCopy(const SelfUpdateFiles& files)
{
    WaitWhileRunning(files.programFileName + ".exe");
    ::DeleteFileA(files.CopyPath().c_str());
}

}  // namespace quibo
