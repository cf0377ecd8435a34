#include "core/zip/zip_local.h"

#include "core/zip/zip_abstract_file.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_header.h"

namespace quibo {

using namespace zipfmt;

ZipMemberSpan LocateMemberData(CZipAbstractFile& file, std::uint64_t at, std::uint64_t limit,
                               const CZipFileHeader& header)
{
    auto broken = [&](const char* what) {
        return CZipException(CZipException::badArchive, "zip: member '" + header.name + "': " + what);
    };
    char local[kLocalSize];
    if (at > limit || limit - at < kLocalSize) throw broken("local header lies outside the archive");
    file.ReadAt(at, local, sizeof local);
    if (Get32(local) != kLocalSignature) throw broken("local header is damaged");

    ZipMemberSpan span;
    span.dataStart = at + kLocalSize + Get16(local + 26) + Get16(local + 28);
    span.dataEnd = span.dataStart + header.compressedSize;
    if (span.dataEnd > limit) throw broken("data runs into the next member or the central directory");
    return span;
}

}  // namespace quibo
