#include "core/signing/utc_time.h"

#include <cstdio>

namespace quibo {

namespace {

constexpr UtcSeconds kDay = 86400;

// Days from 1970-01-01 to the date, in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

unsigned DaysInMonth(std::int64_t y, unsigned m)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value)
{
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

}  // namespace

std::string FormatUtcTime(UtcSeconds time)
{
    std::int64_t days = time / kDay;
    UtcSeconds rest = time % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(y), m, d,
                  static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                  static_cast<unsigned>(rest % 60));
    return text;
}

bool ParseUtcTime(std::string_view text, UtcSeconds& time)
{
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return false;
    unsigned y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
    if (!Digits(text, 0, 4, y) || !Digits(text, 5, 2, m) || !Digits(text, 8, 2, d) || !Digits(text, 11, 2, hh) ||
        !Digits(text, 14, 2, mm) || !Digits(text, 17, 2, ss))
        return false;
    if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m) || hh > 23 || mm > 59 || ss > 59) return false;
    time = DaysFromCivil(y, m, d) * kDay + hh * 3600 + mm * 60 + ss;
    return true;
}

}  // namespace quibo
