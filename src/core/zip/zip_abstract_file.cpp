#include "core/zip/zip_abstract_file.h"

#include "core/zip/zip_exception.h"

namespace quibo {

void CZipAbstractFile::ReadAt(std::uint64_t position, void* buffer, std::size_t size)
{
    if (position > Size() || size > Size() - position)
        throw CZipException(CZipException::badArchive, "zip: record lies beyond the end of the archive");
    Seek(position);
    if (Read(buffer, size) != size)
        throw CZipException(CZipException::badArchive, "zip: archive is truncated");
}

}  // namespace quibo
