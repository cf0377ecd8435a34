// Any bytes opened as an archive in memory: listing, finding and reading
// every member must either work or throw CZipException, never crash, hang
// or allocate without bound. A member that reads without complaint must
// read exactly what zlib itself makes of the member's data.
#include <cstddef>
#include <cstdint>
#include <string>

#include <zlib.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_crypto.h"
#include "core/zip/zip_end_record.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_mem_file.h"

using namespace quibo;

namespace {

// The fixtures' password, so that encrypted members get decrypted too.
const char kPassword[] = "secret";

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

// The member's bytes as stored in the archive, decrypted, found without
// the archive classes: at its local header, after the name and extra field.
std::string RawData(const std::string& bytes, std::uint64_t prefix, const CZipFileHeader& info)
{
    std::uint64_t at = prefix + info.localOffset;
    Check(at + zipfmt::kLocalSize <= bytes.size());
    const char* local = bytes.data() + at;
    Check(zipfmt::Get32(local) == zipfmt::kLocalSignature);
    std::uint64_t start = at + zipfmt::kLocalSize + zipfmt::Get16(local + 26) + zipfmt::Get16(local + 28);
    Check(start + info.compressedSize <= bytes.size());
    std::string data = bytes.substr(start, info.compressedSize);
    if (info.IsEncrypted()) {
        Check(data.size() >= zipfmt::kEncryptionHeader);
        CZipCrypto crypto(kPassword);
        crypto.Decrypt(data.data(), data.size());
        data.erase(0, zipfmt::kEncryptionHeader);
    }
    return data;
}

// zlib's own reading of a raw deflate stream: all of it in one call, with
// one byte of room to spare to show output beyond `size`.
std::string Inflated(const std::string& data, std::size_t size)
{
    z_stream s{};
    Check(inflateInit2(&s, -MAX_WBITS) == Z_OK);
    std::string out(size + 1, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&s, Z_FINISH);
    bool whole = rc == Z_STREAM_END && s.avail_in == 0;
    out.resize(s.total_out);
    inflateEnd(&s);
    Check(whole);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CZipArchive archive;
    try {
        archive.OpenMemory(bytes);
    } catch (const CZipException&) {
        return 0;
    }
    CZipMemFile file(bytes);
    CZipEndRecord end = CZipEndRecord::Find(file);
    std::uint64_t prefix = end.position - end.directorySize - end.directoryOffset;

    archive.SetPassword(kPassword);
    for (int i = 0; i < archive.GetCount(); ++i) {
        const CZipFileHeader& info = archive.GetMemberInfo(i);
        (void)info.IsDirectory();
        (void)info.ModificationTime();
        Check(archive.FindMember(info.name) >= 0);  // a member must find itself
        std::string read;
        try {
            read = archive.ReadMember(i);
        } catch (const CZipException&) {
            continue;
        }
        Check(read.size() == info.uncompressedSize);
        std::string raw = RawData(bytes, prefix, info);
        Check(read == (info.method == zipfmt::kStored ? raw : Inflated(raw, read.size())));
    }
    return 0;
}
