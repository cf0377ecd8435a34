#include "updater.h"

namespace example {

namespace {

// The folder this program was started from, with its trailing "\". The wide
// functions are used so that a folder name in any language survives.
std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // a long path: try again with more room
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace

std::wstring UpdaterCommandLine(HWND window, const std::wstring& extraArguments)
{
    // The updater reads the handle as a decimal number. Window handles fit in
    // 32 bits on 64-bit Windows too, so a 64-bit product can host the updater.
    unsigned long handle = static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window));
    // Quoted: the product may live in a folder such as "C:\Program Files\...".
    std::wstring line = L"\"" + ProgramFolder() + L"update.exe\" /HWND:" + std::to_wstring(handle);
    if (!extraArguments.empty()) line += L" " + extraArguments;
    return line;
}

bool StartUpdater(const std::wstring& commandLine)
{
    std::wstring folder = ProgramFolder();
    std::wstring writable = commandLine;  // CreateProcessW may write into the line it is given
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process))
        return false;
    // Nothing waits for the process: code 4 tells when it ends.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace example
