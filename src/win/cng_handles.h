// Owners for the handles of the CNG functions (bcrypt.dll): providers,
// hash objects and keys, each closed by its own call.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include "win/scoped_handle.h"

namespace quibo {

struct CngAlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};

struct CngHashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptDestroyHash(h); }
};

struct CngKeyTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::BCryptDestroyKey(h); }
};

using UniqueCngAlgorithm = ScopedHandle<CngAlgorithmTraits>;
using UniqueCngHash = ScopedHandle<CngHashTraits>;
using UniqueCngKey = ScopedHandle<CngKeyTraits>;

}  // namespace quibo
