// A program for the closing tests to end: it may own a top-level window, may
// ignore the quit message, may hold a file open that nobody else may open
// (or, with share-read, one that others may only read: a program still starts
// from it, but nobody can replace it).
// When it is ready it writes its marker file; a test waits for that.
//
//   close_target.exe marker=PATH [title=TEXT] [class=NAME] [ignore-quit] [hold=PATH [share-read]]
//                    [live=MS]
//
// A window is made when a title or a class is given. Ending through its
// message loop gives exit code 42, so a test can tell it from a forced end (0).
// Without a window it sleeps until it is ended, or for live=MS and exits 0: a
// slow program for a hook that is waited for.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kQuitByItself = 42;

struct Options {
    std::string marker, title, className, hold, live;
    bool ignoreQuit = false;
    bool shareRead = false;
};

// Arguments are "key=value" words; a value with blanks is quoted as a whole.
Options ReadOptions()
{
    Options options;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) {
        char text[1024] = {};
        ::WideCharToMultiByte(CP_ACP, 0, words[i], -1, text, sizeof text, nullptr, nullptr);
        std::string word(text);
        auto value = [&](const char* key, std::string& into) {
            size_t length = std::strlen(key);
            if (word.compare(0, length, key) == 0) into = word.substr(length);
        };
        value("marker=", options.marker);
        value("title=", options.title);
        value("class=", options.className);
        value("hold=", options.hold);
        value("live=", options.live);
        if (word == "ignore-quit") options.ignoreQuit = true;
        if (word == "share-read") options.shareRead = true;
    }
    ::LocalFree(words);
    return options;
}

HWND MakeWindow(const Options& options)
{
    std::string className = options.className.empty() ? "CloseTargetWindow" : options.className;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = className.c_str();
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, className.c_str(), options.title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Options options = ReadOptions();
    HANDLE held = INVALID_HANDLE_VALUE;
    if (!options.hold.empty()) {
        held = options.shareRead ? ::CreateFileA(options.hold.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : ::CreateFileA(options.hold.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 2;
    }
    bool hasWindow = !options.title.empty() || !options.className.empty();
    if (hasWindow && !MakeWindow(options)) return 3;

    HANDLE marker = ::CreateFileA(options.marker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(marker);

    if (!hasWindow) {
        if (!options.live.empty()) {
            ::Sleep(static_cast<DWORD>(std::strtoul(options.live.c_str(), nullptr, 10)));
            return 0;
        }
        ::Sleep(INFINITE);
        return 1;
    }
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) return 4;
        if (got == 0) {
            if (options.ignoreQuit) continue;  // a program that will not be asked
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    return kQuitByItself;
}
