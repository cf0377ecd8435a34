// CZipMemberReader: one member's uncompressed bytes, block by block.
//
// Memory stays the same whatever the member's size: one block of input and
// the caller's output block. Everything declared is checked against what
// the data really holds: the data must end exactly where its compressed size
// says, give exactly its uncompressed size, and match its CRC-32. Read
// returns 0 only after all of that held; any disagreement throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/zip/zip_crypto.h"
#include "core/zip/zip_header.h"
#include "core/zip/zip_zlib.h"

namespace quibo {

class CZipAbstractFile;

class CZipMemberReader {
public:
    // `limit` is where the member's data must end at the latest (the next
    // member's local header or the central directory). Throws CZipException before any data is
    // read when the member cannot be read: unsupported method, damaged
    // header, missing or wrong password.
    CZipMemberReader(CZipAbstractFile& file, std::uint64_t localAt, std::uint64_t limit,
                     const CZipFileHeader& header, const std::string& password);

    // Fills up to `size` bytes of `out`; returns how many, 0 at the verified end.
    std::size_t Read(char* out, std::size_t size);

private:
    std::size_t ReadStored(char* out, std::size_t size);
    std::size_t ReadDeflated(char* out, std::size_t size);
    void FillInput();
    std::size_t Take(char* out, std::size_t size);  // raw data, decrypted
    std::size_t Produced(const char* out, std::size_t n);
    void Finish();

    CZipAbstractFile& file_;
    CZipFileHeader header_;
    std::uint64_t position_ = 0;   // next data byte in the file
    std::uint64_t remaining_ = 0;  // data bytes not yet taken
    std::uint64_t produced_ = 0;
    unsigned long crc_ = 0;
    bool ended_ = false;  // the deflate stream said it is complete
    bool done_ = false;
    std::optional<CZipCrypto> crypto_;
    std::unique_ptr<CZipInflater> inflater_;
    std::vector<char> input_;
};

}  // namespace quibo
