// The local header in front of each member's data. Only its name and extra
// lengths are used: they say where the data starts. Sizes and CRC come from
// the central directory, which is complete even when a data descriptor
// follows the data.
#pragma once

#include <cstdint>

namespace quibo {

class CZipAbstractFile;
class CZipFileHeader;

struct ZipMemberSpan {
    std::uint64_t dataStart = 0;  // the encryption header, if any, then the data
    std::uint64_t dataEnd = 0;
};

// Reads the local header at `at` and checks that the member's data ends
// before `limit` (where the member's room ends: the next member's local
// header or the central directory). Throws CZipException(badArchive).
ZipMemberSpan LocateMemberData(CZipAbstractFile& file, std::uint64_t at, std::uint64_t limit,
                               const CZipFileHeader& header);

}  // namespace quibo
