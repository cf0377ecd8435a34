#include "core/zip/zip_time.h"

#include <mutex>

namespace quibo {

std::time_t DosToTime(ZipDosTime dos)
{
    std::tm tm{};
    tm.tm_year = ((dos.date >> 9) & 0x7F) + 80;
    tm.tm_mon = ((dos.date >> 5) & 0x0F) - 1;
    tm.tm_mday = dos.date & 0x1F;
    tm.tm_hour = (dos.time >> 11) & 0x1F;
    tm.tm_min = (dos.time >> 5) & 0x3F;
    tm.tm_sec = (dos.time & 0x1F) * 2;
    tm.tm_isdst = -1;  // let the C library decide, as for any local time
    return std::mktime(&tm);
}

ZipDosTime TimeToDos(std::time_t t)
{
    // localtime's result is shared; workers may add members at the same time.
    static std::mutex guard;
    std::tm tm{};
    {
        std::lock_guard<std::mutex> lock(guard);
        const std::tm* local = std::localtime(&t);
        if (local) tm = *local;
    }
    if (tm.tm_year < 80) return ZipDosTime{0x21, 0};               // 1980-01-01, the earliest DOS date
    if (tm.tm_year > 80 + 127) return ZipDosTime{0xFF9F, 0xBF7D};  // 2107-12-31 23:59:58, the latest
    ZipDosTime dos;
    dos.date = static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    dos.time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return dos;
}

}  // namespace quibo
