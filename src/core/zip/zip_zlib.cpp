#include "core/zip/zip_zlib.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "core/zip/zip_exception.h"

namespace quibo {

CZipInflater::CZipInflater()
{
    if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK)
        throw CZipException(CZipException::badData, "zip: cannot start inflating");
}

CZipInflater::~CZipInflater() { inflateEnd(&stream_); }

std::string DeflateBytes(std::string_view data, int level)
{
    z_stream s{};
    if (deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw CZipException(CZipException::badData, "zip: cannot start deflating");
    std::unique_ptr<z_stream, int (*)(z_stream*)> end(&s, deflateEnd);

    if (data.size() > UINT_MAX) throw CZipException(CZipException::tooLarge, "zip: member too large");
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    // deflateBound leaves room for the whole stream, so one call finishes it.
    if (deflate(&s, Z_FINISH) != Z_STREAM_END)
        throw CZipException(CZipException::badData, "zip: deflating failed");
    out.resize(s.total_out);
    return out;
}

unsigned long ZipCrc(unsigned long crc, const char* data, std::size_t size)
{
    while (size > 0) {
        uInt n = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), n);
        data += n;
        size -= n;
    }
    return crc;
}

}  // namespace quibo
