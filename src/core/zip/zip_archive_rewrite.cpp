// Writing a changed archive: the kept members are copied byte for byte, the
// added ones come from memory, then a new central directory and end record.
#include "core/zip/zip_archive.h"

#include <vector>

#include "core/zip/zip_big_file.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_local.h"
#include "core/zip/zip_mem_file.h"
#include "core/zip/zip_native_path.h"
#include "core/zip/zip_replace.h"

namespace quibo {

namespace fs = std::filesystem;
using namespace zipfmt;

namespace {

constexpr std::size_t kCopyBlock = 1024 * 1024;

// Bytes of the data descriptor that follows a member's data: 12, or 16 with
// its optional signature.
std::uint64_t DescriptorSize(CZipAbstractFile& file, std::uint64_t at, std::uint64_t limit,
                             const CZipFileHeader& header)
{
    if (!header.HasDataDescriptor()) return 0;
    std::uint64_t room = limit - at;
    char sig[4];
    if (room >= 16) {
        file.ReadAt(at, sig, sizeof sig);
        if (Get32(sig) == kDescriptorSignature) return 16;
    }
    if (room < 12)
        throw CZipException(CZipException::badArchive,
                            "zip: data descriptor of '" + header.name + "' is cut off");
    return 12;
}

void CopyRange(CZipAbstractFile& from, std::uint64_t at, std::uint64_t size, CZipAbstractFile& to,
               std::vector<char>& block)
{
    while (size > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, block.size()));
        from.ReadAt(at, block.data(), n);
        to.Write(block.data(), n);
        at += n;
        size -= n;
    }
}

std::uint32_t Offset32(std::uint64_t offset)
{
    if (offset > 0xFFFFFFFE) throw CZipException(CZipException::unsupported, "zip: archive would need Zip64");
    return static_cast<std::uint32_t>(offset);
}

}  // namespace

void CZipArchive::Rewrite()
{
    std::string temp = path_ + ".new";
    try {
        WriteArchive(temp);
        file_.reset();  // Windows will not replace a file that is still open
        RenameOver(NativePath(temp), NativePath(path_));
    } catch (...) {
        std::error_code ec;
        if (fs::is_regular_file(NativePath(temp), ec)) fs::remove(NativePath(temp), ec);
        throw;
    }
}

void CZipArchive::WriteArchive(const std::string& temp) const
{
    CZipBigFile out;
    out.SetCapacity(capacity_);
    out.Open(NativePath(temp), CZipBigFile::modeCreate);
    std::vector<char> block(kCopyBlock);
    CopyRange(*file_, 0, prefix_, out, block);

    std::string directory;
    for (const Member& m : members_) {
        CZipAbstractFile& source = Source(m);
        ZipMemberSpan span = LocateMemberData(source, m.at, Limit(m), m.header);
        std::uint64_t end = span.dataEnd + DescriptorSize(source, span.dataEnd, Limit(m), m.header);
        CZipFileHeader h = m.header;
        h.localOffset = Offset32(out.Size());
        CopyRange(source, m.at, end - m.at, out, block);
        directory += h.CentralRecord();
    }
    CZipEndRecord end;
    end.entries = static_cast<std::uint16_t>(members_.size());
    end.directoryOffset = Offset32(out.Size());
    end.directorySize = Offset32(directory.size());
    end.comment = end_.comment;
    Offset32(out.Size() + directory.size());
    out.Write(directory.data(), directory.size());
    std::string record = end.Record();
    out.Write(record.data(), record.size());
    out.Close();
}

}  // namespace quibo
