// Reading a response body as fast as it arrives.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>

namespace quibo {

// Hands the body of `request` to `sink` piece by piece, in pieces sized to the
// speed of the link (ReadSizer). A sink answering false ends the read.
// True only when the body came whole: every one of the `expected` bytes the
// server announced, without a read error or an early end of the connection.
bool ReadHttpBody(HINTERNET request, std::uint64_t expected,
                  const std::function<bool(const char* data, DWORD size)>& sink);

// The Content-Length of the response; 0 when the server sent none.
DWORD HttpContentLength(HINTERNET request);

}  // namespace quibo
