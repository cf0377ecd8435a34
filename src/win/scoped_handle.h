// Small owners for Win32 handles: each closes its handle exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace quibo {

// Traits name the invalid value and the close call of one handle family.
template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle h) : handle_(h) {}
    ~ScopedHandle() { Reset(); }

    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle Get() const { return handle_; }
    bool IsValid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid())
    {
        if (IsValid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {  // processes, threads, events, mutexes
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct FileHandleTraits {  // CreateFile and snapshots answer INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

using UniqueHandle = ScopedHandle<KernelHandleTraits>;
using UniqueFileHandle = ScopedHandle<FileHandleTraits>;
using UniqueModule = ScopedHandle<ModuleTraits>;
using UniqueGdiObject = ScopedHandle<GdiObjectTraits>;

}  // namespace quibo
