// Any bytes opened as an archive in memory: listing, finding and reading
// every member must either work or throw CZipException, never crash, hang
// or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CZipArchive archive;
    try {
        archive.OpenMemory(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const CZipException&) {
        return 0;
    }
    // The fixtures' password, so that encrypted members get decrypted too.
    archive.SetPassword("secret");
    for (int i = 0; i < archive.GetCount(); ++i) {
        const CZipFileHeader& info = archive.GetMemberInfo(i);
        (void)info.IsDirectory();
        (void)info.ModificationTime();
        if (archive.FindMember(info.name) < 0) __builtin_trap();  // a member must find itself
        try {
            std::string bytes = archive.ReadMember(i);
            if (bytes.size() != info.uncompressedSize) __builtin_trap();
        } catch (const CZipException&) {
        }
    }
    return 0;
}
