// Reading a response body as fast as it arrives, and no further than the
// server announced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "download/http_session.h"

namespace quibo {

// Hands the body of the open request to `sink` piece by piece, in pieces
// sized to the speed of the link (ReadSizer). A sink answering false ends
// the read. True only when the body came whole: every one of the `expected`
// bytes the server announced, without a read error, an early end of the
// connection or the address's time running out. A body that goes on past
// `expected` is a failure (`longer` is then called), and the sink never
// sees more than `expected` bytes.
bool ReadHttpBody(HttpRequest& http, std::uint64_t expected,
                  const std::function<bool(const char* data, DWORD size)>& sink,
                  const std::function<void()>& longer = {});

}  // namespace quibo
