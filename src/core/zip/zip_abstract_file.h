// CZipAbstractFile: the random-access byte store an archive lives in, a disk
// file (CZipBigFile) or a block of memory (CZipMemFile).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quibo {

class CZipAbstractFile {
public:
    virtual ~CZipAbstractFile() = default;

    // Reads up to `size` bytes at the current position; fewer only at the end.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Writes all of `size` bytes or throws.
    virtual void Write(const void* buffer, std::size_t size) = 0;
    virtual void Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;

    // Reads exactly `size` bytes at `position` or throws CZipException(badArchive):
    // a short read here means the archive is cut off.
    void ReadAt(std::uint64_t position, void* buffer, std::size_t size);
};

}  // namespace quibo
