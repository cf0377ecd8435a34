#include "app/win_config_seam.h"

#include <cstdint>
#include <cstdlib>

#include "win/message_boxes.h"
#include "download/config_fetch.h"
#include "win/module_info.h"

namespace quibo {

std::string WinConfigSeam::ProductName() { return GetProductName(modulePath_); }

std::string WinConfigSeam::FileVersionText() { return GetFileVersionText(modulePath_); }

std::string WinConfigSeam::FetchConfigHttp(const std::string& url) { return quibo::FetchConfigHttp(url); }

std::string WinConfigSeam::FetchConfigFtp(const std::string& url, const std::string& user,
                                          const std::string& password)
{
    return quibo::FetchConfigFtp(url, user, password);
}

std::string WinConfigSeam::FetchConfigLocal(const std::string& path) { return quibo::FetchConfigLocal(path); }

UtcSeconds WinConfigSeam::Now()
{
    // FILETIME counts 100-nanosecond steps since 1601-01-01, UTC.
    constexpr std::uint64_t kStepsPerSecond = 10000000;
    constexpr std::uint64_t kSecondsTo1970 = 11644473600;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::uint64_t steps = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<UtcSeconds>(steps / kStepsPerSecond - kSecondsTo1970);
}

int WinConfigSeam::Random() { return std::rand(); }

void WinConfigSeam::ShowInfoBox(const std::string& text)
{
    // The parse calls this only when the run is not silent.
    quibo::ShowInfoBox(text, nullptr, ShowType::Normal);
}

}  // namespace quibo
