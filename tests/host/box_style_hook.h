// Installs box_hook.dll (beside the host program) for the length of the run;
// see box_hook.cpp. Without the file the boxes' styles stay unknown.
#pragma once

#include <windows.h>

#include <string>

#include "win/scoped_handle.h"

using namespace quibo;

namespace host {

class BoxStyleHook {
public:
    BoxStyleHook()
    {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path);
        dll = dll.substr(0, dll.find_last_of('\\') + 1) + "box_hook.dll";
        module_.Reset(::LoadLibraryA(dll.c_str()));
        // Through void*: a FARPROC names no parameters, and casting it straight away draws a warning.
        void* found =
            module_ ? reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "BoxHookProc")) : nullptr;
        auto proc = reinterpret_cast<HOOKPROC>(found);
        if (proc) hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, proc, module_.Get(), 0);
    }
    ~BoxStyleHook()
    {
        if (hook_) ::UnhookWindowsHookEx(hook_);
    }
    BoxStyleHook(const BoxStyleHook&) = delete;
    BoxStyleHook& operator=(const BoxStyleHook&) = delete;

private:
    UniqueModule module_;
    HHOOK hook_ = nullptr;
};

// The style the box's program asked for, as the hook kept it; false when unknown.
inline bool BoxStyle(HWND box, UINT& style)
{
    auto kept = static_cast<UINT>(reinterpret_cast<UINT_PTR>(::GetPropA(box, "QuiboBoxStyle")));
    if (!(kept & 0x80000000u)) return false;
    style = kept & ~0x80000000u;
    return true;
}

}  // namespace host
