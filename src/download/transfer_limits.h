// How long a server may keep a transfer waiting. Every transfer uses these
// figures; tests pass shorter ones so that they run in seconds.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quibo {

struct HttpLimits {
    // Connecting, sending the request, and each wait for data.
    DWORD callMs;
    // The network time one address may take, from connecting to the last
    // byte. Time spent writing the file or paused does not count.
    DWORD addressMs;
    // A download earns its addressMs afresh with every this many bytes, so
    // a large file on a slow but steady link is not cut off; 0: never.
    std::uint32_t renewBytes;
    // Redirects followed for one address.
    int redirects;
};

struct FtpLimits {
    // One login attempt of five, from connecting to the server's last answer.
    DWORD attemptMs;
};

inline constexpr HttpLimits kHttpLimits{30000, 60000, 65536, 10};
inline constexpr FtpLimits kFtpLimits{30000};

}  // namespace quibo
