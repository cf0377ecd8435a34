#include "download/http_body.h"

#include <wininet.h>

#include <chrono>
#include <memory>

#include "core/transfer/read_size.h"
#include "download/http_session.h"

namespace quibo {

bool ReadHttpBody(HINTERNET request, std::uint64_t expected,
                  const std::function<bool(const char* data, DWORD size)>& sink)
{
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<char[]> buffer(new char[ReadSizer::kLargest]);
    ReadSizer sizer;
    std::uint64_t total = 0;
    for (;;) {
        // Waits until some data is there, or the body has ended (0).
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(request, &available, 0, 0)) return false;
        DWORD want = sizer.Next(available);
        DWORD got = 0;
        Clock::time_point start = Clock::now();
        if (!::InternetReadFile(request, buffer.get(), want, &got)) return false;
        sizer.Measured(available, want, got, std::chrono::duration<double>(Clock::now() - start).count());
        if (got == 0) break;
        total += got;
        if (!sink(buffer.get(), got)) return false;
    }
    // A connection that ends early ends the body like a complete one: only
    // the count tells a cut-off file from a whole one.
    return total == expected;
}

DWORD HttpContentLength(HINTERNET request)
{
    DWORD length = 0;
    return QueryHttpNumber(request, HTTP_QUERY_CONTENT_LENGTH, length) ? length : 0;
}

}  // namespace quibo
