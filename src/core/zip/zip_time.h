// Member times. The headers hold an MS-DOS date and time in local time with
// two-second steps; Info-ZIP adds the exact UTC time in an extra field.
#pragma once

#include <cstdint>
#include <ctime>

namespace quibo {

struct ZipDosTime {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
};

std::time_t DosToTime(ZipDosTime dos);
ZipDosTime TimeToDos(std::time_t t);

}  // namespace quibo
