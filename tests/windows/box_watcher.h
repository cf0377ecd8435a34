// Answers the message boxes that a process (this one by default) shows, as a person would: finds
// each box window, reads its caption and text, and presses a button.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
};

class BoxWatcher {
public:
    // `button`: the control id to press (IDOK, IDYES, IDNO, IDRETRY, ...).
    explicit BoxWatcher(int button = IDOK, DWORD processId = ::GetCurrentProcessId())
        : button_(button), processId_(processId), thread_([this] { Watch(); })
    {
    }
    ~BoxWatcher()
    {
        stop_ = true;
        thread_.join();
    }

    std::vector<SeenBox> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    static std::string WindowText(HWND window)
    {
        char text[1024] = {};
        ::GetWindowTextA(window, text, sizeof text);
        return text;
    }

    static BOOL CALLBACK Found(HWND window, LPARAM param)
    {
        auto* self = reinterpret_cast<BoxWatcher*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        char cls[64] = {};
        ::GetClassNameA(window, cls, sizeof cls);
        if (pid != self->processId_ || std::string(cls) != "#32770" || !::IsWindowVisible(window))
            return TRUE;
        HWND textControl = ::GetDlgItem(window, 0xFFFF);  // a message box's text
        HWND button = ::GetDlgItem(window, self->button_);
        if (!button) return TRUE;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->boxes_.push_back({WindowText(window), textControl ? WindowText(textControl) : ""});
        }
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        ::Sleep(300);  // let the box close before looking again
        return FALSE;
    }

    void Watch()
    {
        while (!stop_) {
            ::EnumWindows(Found, reinterpret_cast<LPARAM>(this));
            ::Sleep(50);
        }
    }

    int button_;
    DWORD processId_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::thread thread_;
};
