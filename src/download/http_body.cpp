#include "download/http_body.h"

#include <algorithm>
#include <chrono>

#include "core/log/run_log.h"
#include "core/transfer/read_size.h"

namespace quibo {

bool ReadHttpBody(HttpRequest& http, std::uint64_t expected,
                  const std::function<bool(const char* data, DWORD size)>& sink,
                  const std::function<void()>& longer)
{
    using Clock = std::chrono::steady_clock;
    ReadSizer sizer;
    std::uint64_t total = 0;
    for (;;) {
        // Waits until some data is there, or the body has ended (0).
        DWORD available = 0;
        if (!http.WaitForData(available)) return false;
        const std::uint64_t left = expected - total;
        if (available > left) {
            WriteLog("错误：服务器发来的数据多于它声明的" + std::to_string(expected) + "字节：" + http.Address());
            if (longer) longer();
            return false;
        }
        // A read never asks past the announced end: what comes after it
        // shows in the next wait.
        DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(sizer.Next(available), left));
        if (want == 0) break;
        DWORD got = 0;
        Clock::time_point start = Clock::now();
        if (!http.Read(want, available, got)) return false;
        sizer.Measured(available, want, got, std::chrono::duration<double>(Clock::now() - start).count());
        if (got == 0) break;
        total += got;
        if (!sink(http.Buffer(), got)) return false;
    }
    // A connection that ends early ends the body like a complete one: only
    // the count tells a cut-off file from a whole one.
    if (total == expected) return true;
    WriteLog("错误：连接在收到" + std::to_string(total) + "字节后中断，服务器声明的长度为" +
             std::to_string(expected) + "字节：" + http.Address());
    return false;
}

}  // namespace quibo
