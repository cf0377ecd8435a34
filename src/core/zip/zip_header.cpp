#include "core/zip/zip_header.h"

#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_name.h"
#include "core/zip/zip_time.h"

namespace quibo {

using namespace zipfmt;

namespace {

// The data of extra-field block `tag`, or an empty view.
std::string_view FindExtra(const std::string& extra, std::uint16_t tag)
{
    std::size_t at = 0;
    while (at + 4 <= extra.size()) {
        std::uint16_t id = Get16(extra.data() + at);
        std::size_t size = Get16(extra.data() + at + 2);
        if (at + 4 + size > extra.size()) break;
        if (id == tag) return std::string_view(extra).substr(at + 4, size);
        at += 4 + size;
    }
    return {};
}

[[noreturn]] void Broken(const char* what)
{
    throw CZipException(CZipException::badArchive, std::string("zip: ") + what);
}

}  // namespace

bool CZipFileHeader::IsEncrypted() const { return flags & kFlagEncrypted; }
bool CZipFileHeader::HasDataDescriptor() const { return flags & kFlagDescriptor; }
bool CZipFileHeader::IsUtf8Name() const { return flags & kFlagUtf8; }

bool CZipFileHeader::IsDirectory() const { return EndsWithSeparator(name, !IsUtf8Name()); }

std::time_t CZipFileHeader::ModificationTime() const
{
    std::string_view stamp = FindExtra(extra, kExtraTimestamp);
    if (stamp.size() >= 5 && (stamp[0] & 1))
        return static_cast<std::time_t>(static_cast<std::int32_t>(Get32(stamp.data() + 1)));
    return DosToTime(ZipDosTime{modDate, modTime});
}

std::size_t CZipFileHeader::ReadCentral(const char* p, std::size_t avail)
{
    if (avail < kCentralSize || Get32(p) != kCentralSignature) Broken("central directory entry is damaged");
    std::size_t nameLen = Get16(p + 28), extraLen = Get16(p + 30), commentLen = Get16(p + 32);
    std::size_t total = kCentralSize + nameLen + extraLen + commentLen;
    if (total > avail) Broken("central directory entry runs past the directory");

    versionMadeBy = Get16(p + 4);
    versionNeeded = Get16(p + 6);
    flags = Get16(p + 8);
    method = Get16(p + 10);
    modTime = Get16(p + 12);
    modDate = Get16(p + 14);
    crc = Get32(p + 16);
    compressedSize = Get32(p + 20);
    uncompressedSize = Get32(p + 24);
    diskStart = Get16(p + 34);
    internalAttr = Get16(p + 36);
    externalAttr = Get32(p + 38);
    localOffset = Get32(p + 42);
    name.assign(p + kCentralSize, nameLen);
    extra.assign(p + kCentralSize + nameLen, extraLen);
    comment.assign(p + kCentralSize + nameLen + extraLen, commentLen);

    // Zip64 keeps the real values in an extra field and puts all ones here;
    // reading these fields as they stand would misplace the data.
    if (compressedSize == 0xFFFFFFFF || uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF ||
        diskStart == 0xFFFF)
        throw CZipException(CZipException::unsupported, "zip: Zip64 archives are not supported");
    if (diskStart != 0)
        throw CZipException(CZipException::unsupported, "zip: spanned archives are not supported");
    return total;
}

// From "version needed" to "uncompressed size" both records are the same.
void CZipFileHeader::PutSharedFields(std::string& r) const
{
    Put16(r, versionNeeded);
    Put16(r, flags);
    Put16(r, method);
    Put16(r, modTime);
    Put16(r, modDate);
    Put32(r, crc);
    Put32(r, compressedSize);
    Put32(r, uncompressedSize);
}

std::string CZipFileHeader::CentralRecord() const
{
    std::string r;
    r.reserve(kCentralSize + name.size() + extra.size() + comment.size());
    Put32(r, kCentralSignature);
    Put16(r, versionMadeBy);
    PutSharedFields(r);
    Put16(r, static_cast<std::uint16_t>(name.size()));
    Put16(r, static_cast<std::uint16_t>(extra.size()));
    Put16(r, static_cast<std::uint16_t>(comment.size()));
    Put16(r, diskStart);
    Put16(r, internalAttr);
    Put32(r, externalAttr);
    Put32(r, localOffset);
    r += name;
    r += extra;
    r += comment;
    return r;
}

std::string CZipFileHeader::LocalRecord() const
{
    std::string r;
    r.reserve(kLocalSize + name.size());
    Put32(r, kLocalSignature);
    PutSharedFields(r);
    Put16(r, static_cast<std::uint16_t>(name.size()));
    Put16(r, 0);
    r += name;
    return r;
}

}  // namespace quibo
