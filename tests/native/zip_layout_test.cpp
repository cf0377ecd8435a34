// Where members lie: entries that share or overlap data, records that run
// past their room, and archives built to unpack far more than they carry.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_end_record.h"
#include "core/zip/zip_native_path.h"
#include "core/zip/zip_zlib.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;
using zipfmt::Get32;

namespace {

// The last entry of the central directory.
std::size_t LastCentralAt(const std::string& zip)
{
    return zip.rfind(std::string("PK\x01\x02", 4), EndRecordAt(zip));
}

void AddTo16(std::string& zip, std::size_t at, int delta)
{
    std::uint16_t v = static_cast<std::uint16_t>(zipfmt::Get16(zip.data() + at) + delta);
    zip[at] = static_cast<char>(v & 0xFF);
    zip[at + 1] = static_cast<char>(v >> 8);
}

void AddTo32(std::string& zip, std::size_t at, std::int64_t delta)
{
    Put32At(zip, at, static_cast<std::uint32_t>(Get32(zip.data() + at) + delta));
}

// One local record of a mebibyte of zeros, and `entries` central entries
// that all point at it: a few kilobytes that would unpack to `entries` MiB.
std::string SharedRecordArchive(int entries)
{
    const std::string zeros(1 << 20, '\0');
    CZipFileHeader h;
    h.name = "kernel.bin";
    h.method = 8;
    h.crc = static_cast<std::uint32_t>(ZipCrc(0, zeros.data(), zeros.size()));
    h.uncompressedSize = static_cast<std::uint32_t>(zeros.size());
    std::string data = DeflateBytes(zeros);
    h.compressedSize = static_cast<std::uint32_t>(data.size());
    std::string zip = h.LocalRecord() + data;

    CZipEndRecord end;
    std::string directory;
    for (int i = 0; i < entries; ++i) {
        h.name = "copy" + std::to_string(i) + ".bin";
        directory += h.CentralRecord();
    }
    end.entries = static_cast<std::uint16_t>(entries);
    end.directoryOffset = static_cast<std::uint32_t>(zip.size());
    end.directorySize = static_cast<std::uint32_t>(directory.size());
    return zip + directory + end.Record();
}

TEST(ZipLayout, EntriesSharingOneLocalRecordAreRefused)
{
    for (int entries : {2, 100}) {
        SCOPED_TRACE(entries);
        const std::string zip = SharedRecordArchive(entries);
        CZipArchive a;
        EXPECT_EQ(CauseOf([&] { a.OpenMemory(zip); }), CZipException::badArchive);
    }
    // One entry alone is an ordinary archive.
    CZipArchive a;
    a.OpenMemory(SharedRecordArchive(1));
    EXPECT_EQ(a.ReadMember(0), std::string(1 << 20, '\0'));
}

TEST(ZipLayout, RecordsThatLeaveTheirRoomAreRefusedOnReadAndOnRewrite)
{
    // In infozip.zip the member "\x81\x61.txt" (stored, 13 bytes) lies last,
    // right before the central directory, and its entry ends the directory.
    const std::string last = "\x81\x61.txt";
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"second entry points at the first one's local header",
         [](std::string& z) {
             Put32At(z, CentralAt(z, "sub/deep/a.txt") + 42, Get32(z.data() + CentralAt(z, "text.txt") + 42));
         }},
        {"compressed data reaches into the next member",
         [](std::string& z) { AddTo32(z, CentralAt(z, "text.txt") + 20, 200); }},
        {"stored sizes run one byte into the directory",
         [&](std::string& z) {
             AddTo32(z, CentralAt(z, last) + 20, 1);
             AddTo32(z, CentralAt(z, last) + 24, 1);
         }},
        {"stored sizes run far into the directory",
         [&](std::string& z) {
             AddTo32(z, CentralAt(z, last) + 20, 1000);
             AddTo32(z, CentralAt(z, last) + 24, 1000);
         }},
        {"local header inside the directory",
         [](std::string& z) {
             Put32At(z, CentralAt(z, "text.txt") + 42, Get32(z.data() + EndRecordAt(z) + 16));
         }},
        {"name length runs past the directory", [](std::string& z) { AddTo16(z, LastCentralAt(z) + 28, 1); }},
        {"extra length runs past the directory",
         [](std::string& z) { AddTo16(z, LastCentralAt(z) + 30, 1); }},
        {"comment length runs past the directory",
         [](std::string& z) { AddTo16(z, LastCentralAt(z) + 32, 1); }},
    };
    TempFolder temp;
    std::string path = temp / "package.zip";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string zip = FixtureBytes("infozip.zip");
        c.damage(zip);

        // Read: opening or reading every member fails somewhere.
        EXPECT_EQ(CauseOf([&] {
                      CZipArchive a;
                      a.OpenMemory(zip);
                      for (int i = 0; i < a.GetCount(); ++i) a.ReadMember(i);
                  }),
                  CZipException::badArchive);

        // Rewrite: a change that keeps the damaged member is refused and the
        // archive stays as it was.
        WriteBytes(NativePath(path), zip);
        EXPECT_EQ(CauseOf([&] {
                      CZipArchive a;
                      a.Open(path);
                      a.DeleteMember(a.FindMember("stored.bin"));
                      a.Close();
                  }),
                  CZipException::badArchive);
        EXPECT_TRUE(ReadBytes(NativePath(path)) == zip);
    }
}

TEST(ZipLayout, ArchivesThatWouldUnpackFarBeyondTheirSizeAreRefused)
{
    constexpr std::uint32_t kMiB = 1 << 20;
    struct Case {
        std::size_t stub;     // bytes in front of the archive, as in a self-extractor
        std::uint32_t claim;  // what the text member declares
        bool refused;
    };
    const std::vector<Case> cases = {
        {0, 200 * kMiB, false},  // a small package with one large sparse file
        {0, 300 * kMiB, true},         {0, 0xFFFFFFFE, true},
        {4 * kMiB, 600 * kMiB, false},  // a larger package may hold more
        {4 * kMiB, 700 * kMiB, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stub << " byte stub, " << c.claim << " bytes claimed");
        std::string zip = FixtureBytes("python.zip");
        Put32At(zip, CentralAt(zip, "Dir/Nested/Text.TXT") + 24, c.claim);
        zip.insert(0, std::string(c.stub, 'x'));
        CZipArchive a;
        if (c.refused) {
            EXPECT_EQ(CauseOf([&] { a.OpenMemory(zip); }), CZipException::tooLarge);
        } else {
            a.OpenMemory(zip);
            EXPECT_EQ(a.ReadMember(a.FindMember("stored.bin")), BinaryContent());
        }
    }
}

}  // namespace
