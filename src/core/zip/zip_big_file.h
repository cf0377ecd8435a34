// CZipBigFile: an archive or an extracted member on disk.
//
// Offsets are 64-bit throughout. Large reads and writes go straight to the
// file; the stream's own buffer only serves the small header reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "core/zip/zip_abstract_file.h"

namespace quibo {

class CZipBigFile : public CZipAbstractFile {
public:
    enum Mode { modeRead, modeCreate };  // modeCreate truncates an existing file

    CZipBigFile() = default;
    CZipBigFile(const CZipBigFile&) = delete;
    CZipBigFile& operator=(const CZipBigFile&) = delete;
    ~CZipBigFile() override = default;  // closes quietly; call Close() to learn of errors

    void Open(const std::filesystem::path& path, Mode mode);
    bool IsOpen() const { return buf_.is_open(); }
    // Flushes and releases the file; throws when the data did not all reach it.
    void Close();

    std::size_t Read(void* buffer, std::size_t size) override;
    void Write(const void* buffer, std::size_t size) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Size() const override { return size_; }

    // Writes past `bytes` in total fail as they would on a full disk. Lets the
    // tests prove that a failed rewrite leaves the old archive alone.
    void SetCapacity(std::uint64_t bytes) { capacity_ = bytes; }

private:
    std::filebuf buf_;
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t capacity_ = std::numeric_limits<std::uint64_t>::max();
};

}  // namespace quibo
