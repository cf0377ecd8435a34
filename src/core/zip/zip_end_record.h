// CZipEndRecord: the end-of-central-directory record that closes an archive
// and says where its central directory is.
#pragma once

#include <cstdint>
#include <string>

namespace quibo {

class CZipAbstractFile;

class CZipEndRecord {
public:
    std::uint64_t position = 0;  // where the record starts in the file
    std::uint16_t entries = 0;
    std::uint32_t directorySize = 0;
    std::uint32_t directoryOffset = 0;
    std::string comment;

    // Searches backwards from the end of `file`, over the longest comment
    // the format allows. Throws CZipException: badArchive when there is no
    // record, unsupported for Zip64 and spanned archives.
    static CZipEndRecord Find(CZipAbstractFile& file);

    std::string Record() const;
};

}  // namespace quibo
