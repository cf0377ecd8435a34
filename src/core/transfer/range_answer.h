// What the answer to a request for the rest of a file ("Range: bytes=N-")
// allows: only a piece that starts exactly where the local file ends, and
// whose announced lengths agree, may be appended to it.
#pragma once

#include <cstdint>
#include <string>

namespace quibo {

enum class RangeAnswer {
    Append,   // 206 carrying exactly the bytes from N to the end
    Afresh,   // a whole file (the server ignored the range): write it from byte 0
    Refetch,  // no usable piece (416, a piece from elsewhere): ask again for the whole file
    Fail,     // an error status, as for any download
};

// `status` and `contentRange` (the header's text, empty when absent) of the
// answer to a request from byte `from`, whose body is `contentLength` bytes.
RangeAnswer JudgeRangeAnswer(unsigned status, const std::string& contentRange, std::uint64_t from,
                             std::uint64_t contentLength);

}  // namespace quibo
