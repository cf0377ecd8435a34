// CZipFileHeader: what the central directory says about one member, and the
// conversion between it and the central and local header records.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace quibo {

class CZipFileHeader {
public:
    std::string name;   // as stored: code page 936 bytes unless IsUtf8Name()
    std::string extra;  // central-directory extra field, kept as it was read
    std::string comment;
    std::uint16_t versionMadeBy = 20;  // high byte: the host system (0 MS-DOS, 3 Unix)
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t modTime = 0;
    std::uint16_t modDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;  // includes the 12-byte encryption header
    std::uint32_t uncompressedSize = 0;
    std::uint16_t diskStart = 0;
    std::uint16_t internalAttr = 0;
    std::uint32_t externalAttr = 0;  // low byte: MS-DOS attributes; Unix hosts put the mode in the high half
    std::uint32_t localOffset = 0;

    bool IsEncrypted() const;
    bool HasDataDescriptor() const;
    bool IsUtf8Name() const;
    bool IsDirectory() const;
    int HostSystem() const { return versionMadeBy >> 8; }
    // The exact time from the extended-timestamp extra field when present,
    // else the MS-DOS local time.
    std::time_t ModificationTime() const;

    // Parses the central record at `p` (at most `avail` bytes) and returns its
    // length. Throws CZipException: badArchive for a broken record,
    // unsupported for Zip64 or another disk.
    std::size_t ReadCentral(const char* p, std::size_t avail);
    std::string CentralRecord() const;
    // A local header for a member this program writes: no extra field.
    std::string LocalRecord() const;

private:
    void PutSharedFields(std::string& record) const;
};

}  // namespace quibo
