#include "core/transfer/read_size.h"

#include <algorithm>

namespace quibo {

std::uint32_t ReadSizer::Next(std::uint32_t available) const
{
    if (available == 0) return kLargest;  // nothing waiting: the body has ended
    if (available < kFullBuffer) return available;
    return std::min(std::max(available, request_), kLargest);
}

void ReadSizer::Measured(std::uint32_t available, std::uint32_t requested, std::uint32_t got, double seconds)
{
    // Only a read that waited for the network says how fast the network is.
    if (requested <= available || got == 0) return;
    double byRate = seconds > 0 ? got / seconds * kTargetSeconds : kLargest;
    double next = std::min(2.0 * request_, byRate);
    request_ = static_cast<std::uint32_t>(std::clamp(next, double(kFullBuffer), double(kLargest)));
}

}  // namespace quibo
