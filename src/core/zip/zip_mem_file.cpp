#include "core/zip/zip_mem_file.h"

#include <algorithm>
#include <cstring>

#include "core/zip/zip_exception.h"

namespace quibo {

std::size_t CZipMemFile::Read(void* buffer, std::size_t size)
{
    if (position_ >= bytes_.size()) return 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytes_.size() - position_));
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void CZipMemFile::Write(const void*, std::size_t)
{
    throw CZipException(CZipException::badUse, "zip: an archive in memory is read-only");
}

void CZipMemFile::Seek(std::uint64_t position) { position_ = position; }

}  // namespace quibo
