#include "core/zip/zip_archive.h"

#include <algorithm>
#include <ctime>

#include "core/zip/zip_big_file.h"
#include "core/zip/zip_crypto.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_local.h"
#include "core/zip/zip_mem_file.h"
#include "core/zip/zip_member_reader.h"
#include "core/zip/zip_name.h"
#include "core/zip/zip_native_path.h"
#include "core/zip/zip_stamp.h"
#include "core/zip/zip_time.h"
#include "core/zip/zip_zlib.h"

namespace quibo {

namespace fs = std::filesystem;
using namespace zipfmt;

namespace {

// Big enough that extraction runs at disk speed, small enough that memory
// stays flat whatever the member size.
constexpr std::size_t kExtractBlock = 256 * 1024;
constexpr std::size_t kReadBlock = 64 * 1024;

constexpr std::uint32_t kDosArchive = 0x20;
constexpr std::uint32_t kDosFolder = 0x10;

[[noreturn]] void Misuse(const char* what)
{
    throw CZipException(CZipException::badUse, std::string("zip: ") + what);
}

void MakeFolders(const fs::path& folder)
{
    if (folder.empty()) return;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        throw CZipException(CZipException::fileError, "zip: cannot create folder " + folder.u8string());
}

}  // namespace

CZipArchive::CZipArchive() = default;
CZipArchive::~CZipArchive() = default;

void CZipArchive::Open(const std::string& path)
{
    auto file = std::make_unique<CZipBigFile>();
    file->Open(NativePath(path), CZipBigFile::modeRead);
    Load(std::move(file));
    path_ = path;
}

void CZipArchive::OpenMemory(std::string bytes) { Load(std::make_unique<CZipMemFile>(std::move(bytes))); }

void CZipArchive::Load(std::unique_ptr<CZipAbstractFile> file)
{
    Reset();
    CZipEndRecord end = CZipEndRecord::Find(*file);
    if (end.directorySize > end.position)
        throw CZipException(CZipException::badArchive, "zip: central directory is larger than the archive");
    std::uint64_t start = end.position - end.directorySize;
    if (end.directoryOffset > start)
        throw CZipException(CZipException::badArchive,
                            "zip: central directory is not where the end record says");

    std::string directory(end.directorySize, '\0');
    file->ReadAt(start, directory.data(), directory.size());
    std::vector<Member> members;
    members.reserve(std::min<std::size_t>(end.entries, directory.size() / kCentralSize));
    std::size_t at = 0;
    for (int i = 0; i < end.entries; ++i) {
        Member m;
        at += m.header.ReadCentral(directory.data() + at, directory.size() - at);
        members.push_back(std::move(m));
    }
    // Offsets count from the archive's first byte; a stub in front (a
    // self-extractor) shifts them all by the same amount.
    std::uint64_t prefix = start - end.directoryOffset;
    for (Member& m : members) m.at = prefix + m.header.localOffset;
    PlaceMembers(members, start, file->Size());
    // Each local header says where its data starts: an archive whose data
    // runs into the next member is refused now, not half way through an
    // extraction.
    for (const Member& m : members) LocateMemberData(*file, m.at, m.end, m.header);

    prefix_ = prefix;
    members_ = std::move(members);
    end_ = std::move(end);
    file_ = std::move(file);
}

void CZipArchive::Reset()
{
    file_.reset();
    path_.clear();
    members_.clear();
    end_ = CZipEndRecord();
    prefix_ = 0;
    changed_ = false;
}

void CZipArchive::Close()
{
    if (!file_) return;
    struct Release {
        CZipArchive& archive;
        ~Release() { archive.Reset(); }
    } release{*this};
    if (changed_) Rewrite();
}

const CZipArchive::Member& CZipArchive::At(int index) const
{
    if (!file_) Misuse("no archive is open");
    if (index < 0 || index >= GetCount()) Misuse("member index out of range");
    return members_[static_cast<std::size_t>(index)];
}

void CZipArchive::RequireWritable() const
{
    if (!file_) Misuse("no archive is open");
    if (path_.empty()) Misuse("an archive in memory is read-only");
}

CZipAbstractFile& CZipArchive::Source(const Member& m) const
{
    return m.pending ? static_cast<CZipAbstractFile&>(*m.pending) : *file_;
}

std::uint64_t CZipArchive::Limit(const Member& m) const { return m.pending ? m.pending->Size() : m.end; }

const CZipFileHeader& CZipArchive::GetMemberInfo(int index) const { return At(index).header; }

int CZipArchive::FindMember(std::string_view name) const
{
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const CZipFileHeader& h = members_[i].header;
        if (NamesEqualNoCase(h.name, name, !h.IsUtf8Name())) return static_cast<int>(i);
    }
    return -1;
}

std::string CZipArchive::ReadMember(int index, std::uint32_t limit)
{
    const Member& m = At(index);
    if (m.header.uncompressedSize > limit)
        throw CZipException(CZipException::tooLarge,
                            "zip: member '" + m.header.name + "' is too large to read into memory");
    CZipMemberReader reader(Source(m), m.at, Limit(m), m.header, password_);
    // Grow with the data actually inflated, not with what the header claims.
    std::string out;
    out.reserve(std::min<std::size_t>(m.header.uncompressedSize, 1u << 20));
    std::vector<char> block(kReadBlock);
    while (std::size_t n = reader.Read(block.data(), block.size())) out.append(block.data(), n);
    return out;
}

void CZipArchive::ExtractMember(int index, const std::string& folder)
{
    const Member& m = At(index);
    fs::path target = NativePath(folder);
    const bool utf8 = m.header.IsUtf8Name();
    for (const std::string& part : SafeMemberPath(m.header.name, !utf8))
        target /= utf8 ? NativePathFromUtf8(part) : NativePath(part);
    if (m.header.IsDirectory()) {
        MakeFolders(target);
        return;
    }
    WriteMemberFile(m, target);
    StampExtractedFile(target, m.header);
}

void CZipArchive::WriteMemberFile(const Member& m, const fs::path& target) const
{
    // The member is checked (method, header, password) before anything is
    // made on disk, so an unreadable member leaves an existing file alone.
    CZipMemberReader reader(Source(m), m.at, Limit(m), m.header, password_);
    MakeFolders(target.parent_path());
    bool created = false;
    try {
        CZipBigFile out;
        out.Open(target, CZipBigFile::modeCreate);
        created = true;
        std::vector<char> block(kExtractBlock);
        while (std::size_t n = reader.Read(block.data(), block.size())) out.Write(block.data(), n);
        out.Close();
    } catch (...) {
        // A half-written file must not pass for the member.
        std::error_code ec;
        if (created) fs::remove(target, ec);
        throw;
    }
}

void CZipArchive::DeleteMember(int index)
{
    RequireWritable();
    At(index);
    members_.erase(members_.begin() + index);
    changed_ = true;
}

void CZipArchive::AddMember(const std::string& name, std::string_view data)
{
    RequireWritable();
    if (name.empty() || name.size() > 0xFFFF) Misuse("a member name must have 1 to 65535 bytes");
    if (members_.size() >= 0xFFFF)
        throw CZipException(CZipException::unsupported, "zip: too many members without Zip64");
    if (data.size() >= 0xFFFFFFFF - 64)
        throw CZipException(CZipException::tooLarge, "zip: member too large without Zip64");

    CZipFileHeader h;
    h.name = name;
    h.method = kDeflated;
    ZipDosTime now = TimeToDos(std::time(nullptr));
    h.modDate = now.date;
    h.modTime = now.time;
    h.crc = static_cast<std::uint32_t>(ZipCrc(0, data.data(), data.size()));
    h.uncompressedSize = static_cast<std::uint32_t>(data.size());
    h.externalAttr = h.IsDirectory() ? kDosFolder : kDosArchive;

    std::string stored = DeflateBytes(data);
    if (!password_.empty()) {
        h.flags |= kFlagEncrypted;
        CZipCrypto crypto(password_);
        std::string header = crypto.EncryptHeader(static_cast<unsigned char>(h.crc >> 24));
        crypto.Encrypt(stored.data(), stored.size());
        stored.insert(0, header);
    }
    if (stored.size() >= 0xFFFFFFFF)
        throw CZipException(CZipException::tooLarge, "zip: member too large without Zip64");
    h.compressedSize = static_cast<std::uint32_t>(stored.size());

    Member m;
    m.header = h;
    m.pending = std::make_unique<CZipMemFile>(h.LocalRecord() + stored);
    members_.push_back(std::move(m));
    changed_ = true;
}

}  // namespace quibo
