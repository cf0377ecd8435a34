// Owner for WinINet handles (sessions, connections, requests, FTP files and
// finds): each is closed exactly once with InternetCloseHandle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "win/scoped_handle.h"

namespace quibo {

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};

using UniqueInternetHandle = ScopedHandle<InternetHandleTraits>;

}  // namespace quibo
