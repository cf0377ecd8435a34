// How much a download asks the network for at a time.
//
// A read returns only once all it asked for has arrived (or the body ends),
// and the count of bytes known to be waiting covers only the client's own
// small buffer. Asking for just that keeps a slow link responsive but costs a
// call per few kilobytes, which caps a fast link far below its speed; asking
// for a megabyte is fast but can hold a slow link for seconds, during which
// pause and stop go unheard. So: ask for what is waiting while the buffer is
// not full (the data comes no faster than it is read), and otherwise for a
// request that grows step by step as long as the measured rate delivers it
// within a few tens of milliseconds.
#pragma once

#include <cstdint>

namespace quibo {

class ReadSizer {
public:
    static constexpr std::uint32_t kFullBuffer = 8192;  // what the client buffers by itself
    static constexpr std::uint32_t kLargest = 1 << 20;  // the read buffer
    static constexpr double kTargetSeconds = 0.025;     // the longest a read should wait

    // The size of the next request, given what is known to be waiting.
    std::uint32_t Next(std::uint32_t available) const;
    // Learns from a read of `requested` bytes that brought `got` in `seconds`.
    void Measured(std::uint32_t available, std::uint32_t requested, std::uint32_t got, double seconds);

private:
    std::uint32_t request_ = 2 * kFullBuffer;
};

}  // namespace quibo
