// CZipArchive: a zip archive opened from a file or from memory; its members
// can be listed, found, read, extracted, deleted and added.
//
// Changes are kept in memory and written by Close(). Close never rewrites the
// archive in place: it writes the new archive beside the old one ("<path>.new")
// and swaps it in only once it is complete, so a failure at any point, a full
// disk included, leaves the old archive as it was. Destroying the object
// without Close() drops the changes.
//
// Members may not overlap, and an archive may not unpack to much more than
// 100 times its own size (256 MiB always pass): both mark archives built to
// flood the disk.
//
// Errors are thrown as CZipException. Single volume, methods 0 (stored) and 8
// (deflated); Zip64 archives are refused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/zip/zip_end_record.h"
#include "core/zip/zip_header.h"

namespace quibo {

class CZipAbstractFile;
class CZipMemFile;

class CZipArchive {
public:
    // Read into memory up to this size; larger members are for ExtractMember.
    static constexpr std::uint32_t kMaxMemoryRead = 64u * 1024 * 1024;

    CZipArchive();
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // An existing archive file; it may be changed and is rewritten by Close().
    void Open(const std::string& path);
    // An archive held in memory; read-only.
    void OpenMemory(std::string bytes);
    // Writes the changes, if any, and releases the archive, even when the
    // writing throws.
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    int GetCount() const { return static_cast<int>(members_.size()); }
    const CZipFileHeader& GetMemberInfo(int index) const;
    // Index of the member whose name equals `name` but for the case of ASCII
    // letters, or -1.
    int FindMember(std::string_view name) const;
    const std::string& GetComment() const { return end_.comment; }

    // Decrypts (and encrypts added members) from now on; empty for none.
    void SetPassword(std::string password) { password_ = std::move(password); }

    // The uncompressed bytes of a member; tooLarge above `limit`.
    std::string ReadMember(int index, std::uint32_t limit = kMaxMemoryRead);
    // Writes the member to `folder` + its own path, making missing folders and
    // replacing an existing file, then sets the file's time and attributes.
    // A folder member makes its folder. A name that would leave `folder` is
    // refused (unsafeName) before anything is written. On any failure the
    // partly written file is removed.
    void ExtractMember(int index, const std::string& folder);

    // The rest of the archive closes up; indexes above `index` move down by one.
    void DeleteMember(int index);
    // A new last member, deflated at the default level.
    void AddMember(const std::string& name, std::string_view data);

    // Test hook: the rewrite by Close() fails after this many bytes, as on a
    // full disk.
    void SetRewriteCapacity(std::uint64_t bytes) { capacity_ = bytes; }

private:
    struct Member {
        CZipFileHeader header;
        std::uint64_t at = 0;                  // local header's position in its source
        std::uint64_t end = 0;                 // where its room ends: the next member or the directory
        std::unique_ptr<CZipMemFile> pending;  // an added member's local record and data
    };

    void Load(std::unique_ptr<CZipAbstractFile> file);
    // Gives each member its room and refuses overlapping members and
    // archives that would unpack to far more than their own size.
    static void PlaceMembers(std::vector<Member>& members, std::uint64_t directoryStart,
                             std::uint64_t archiveSize);
    void Reset();
    const Member& At(int index) const;
    void RequireWritable() const;
    CZipAbstractFile& Source(const Member& m) const;
    std::uint64_t Limit(const Member& m) const;
    void WriteMemberFile(const Member& m, const std::filesystem::path& target) const;
    void Rewrite();
    void WriteArchive(const std::string& temp) const;

    std::unique_ptr<CZipAbstractFile> file_;
    std::string path_;  // empty for an archive in memory
    std::vector<Member> members_;
    CZipEndRecord end_;
    std::uint64_t prefix_ = 0;  // bytes in front of the archive, as in a self-extractor
    std::string password_;
    bool changed_ = false;
    std::uint64_t capacity_ = UINT64_MAX;
};

}  // namespace quibo
