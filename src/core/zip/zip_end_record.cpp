#include "core/zip/zip_end_record.h"

#include <algorithm>
#include <vector>

#include "core/zip/zip_abstract_file.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"

namespace quibo {

using namespace zipfmt;

namespace {

[[noreturn]] void Unsupported(const char* what)
{
    throw CZipException(CZipException::unsupported, std::string("zip: ") + what);
}

}  // namespace

CZipEndRecord CZipEndRecord::Find(CZipAbstractFile& file)
{
    std::uint64_t size = file.Size();
    if (size < kEndSize) throw CZipException(CZipException::badArchive, "zip: not a zip archive (too short)");
    std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + kMaxComment));
    std::uint64_t tailStart = size - tailSize;
    std::vector<char> tail(tailSize);
    file.ReadAt(tailStart, tail.data(), tail.size());

    // A record whose comment ends exactly at the end of the file wins, so
    // that a signature inside a comment does not mislead; failing that, the
    // last record found, for archives with bytes appended after them.
    std::size_t found = tailSize, loose = tailSize;
    for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
        if (Get32(tail.data() + i) != kEndSignature) continue;
        std::size_t end = i + kEndSize + Get16(tail.data() + i + 20);
        if (end == tailSize) {
            found = i;
            break;
        }
        if (end < tailSize && loose == tailSize) loose = i;
    }
    if (found == tailSize) found = loose;
    if (found == tailSize)
        throw CZipException(CZipException::badArchive, "zip: not a zip archive (no end record)");

    const char* p = tail.data() + found;
    CZipEndRecord r;
    r.position = tailStart + found;
    std::uint16_t disk = Get16(p + 4), directoryDisk = Get16(p + 6), entriesHere = Get16(p + 8);
    r.entries = Get16(p + 10);
    r.directorySize = Get32(p + 12);
    r.directoryOffset = Get32(p + 16);
    r.comment.assign(p + kEndSize, Get16(p + 20));

    bool zip64Locator = false;
    if (r.position >= kZip64LocatorSize) {
        char sig[4];
        file.ReadAt(r.position - kZip64LocatorSize, sig, sizeof sig);
        zip64Locator = Get32(sig) == kZip64LocatorSignature;
    }
    if (zip64Locator || r.directorySize == 0xFFFFFFFF || r.directoryOffset == 0xFFFFFFFF || disk == 0xFFFF ||
        directoryDisk == 0xFFFF)
        Unsupported("Zip64 archives are not supported");
    if (disk != 0 || directoryDisk != 0 || entriesHere != r.entries)
        Unsupported("spanned archives are not supported");
    return r;
}

std::string CZipEndRecord::Record() const
{
    std::string r;
    Put32(r, kEndSignature);
    Put16(r, 0);
    Put16(r, 0);
    Put16(r, entries);
    Put16(r, entries);
    Put32(r, directorySize);
    Put32(r, directoryOffset);
    Put16(r, static_cast<std::uint16_t>(comment.size()));
    r += comment;
    return r;
}

}  // namespace quibo
