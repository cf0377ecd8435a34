// zlib on the zip format's terms: raw deflate streams (window bits -15,
// no zlib header or trailer, the member's CRC-32 stands in for it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <zlib.h>

namespace quibo {

// One raw inflate stream, ended when the object goes.
class CZipInflater {
public:
    CZipInflater();
    ~CZipInflater();
    CZipInflater(const CZipInflater&) = delete;
    CZipInflater& operator=(const CZipInflater&) = delete;

    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
};

// `data` as one raw deflate stream.
std::string DeflateBytes(std::string_view data, int level = Z_DEFAULT_COMPRESSION);

// CRC-32 of `data` continuing from `crc`; zlib takes at most 4 GiB a call.
unsigned long ZipCrc(unsigned long crc, const char* data, std::size_t size);

}  // namespace quibo
