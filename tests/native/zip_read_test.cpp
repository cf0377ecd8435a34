// Reading archives made by the reference tools, and refusing damaged ones.
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_time.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

struct Expected {
    std::string name;
    std::string content;
    int method;  // -1: a folder member
};

const std::vector<Expected>& InfoZipMembers()
{
    static const std::vector<Expected> members = {
        {"text.txt", TextContent(), 8},
        {"stored.bin", BinaryContent(), 0},
        {"empty.txt", "", 0},
        {"sub/", "", -1},
        {"sub/deep/", "", -1},
        {"sub/deep/a.txt", "in a folder\n", 0},
        {"\xD6\xD0\xCE\xC4.txt", "zhongwen\n", 0},
        {"\x81\x41.txt", "trail byte A\n", 0},
        {"\x81\x61.txt", "trail byte a\n", 0},
        {"\x81\x5C.txt", "trail byte backslash\n", 0},
        {"\xC4\xBF\xC2\xBC/", "", -1},
        {"\xC4\xBF\xC2\xBC/\xC5\xE4\xD6\xC3.ini", "[system]\r\nurls=\r\n", 0},
    };
    return members;
}

const std::vector<Expected>& PythonMembers()
{
    static const std::vector<Expected> members = {
        {"Dir/", "", -1},
        {"Dir/Nested/", "", -1},
        {"Dir/Nested/Text.TXT", TextContent(), 8},
        {"stored.bin", BinaryContent(), 0},
        {"empty.txt", "", 8},
    };
    return members;
}

void ExpectMembers(CZipArchive& archive, const std::vector<Expected>& members)
{
    ASSERT_EQ(archive.GetCount(), static_cast<int>(members.size()));
    for (const Expected& e : members) {
        int index = archive.FindMember(e.name);
        ASSERT_GE(index, 0) << e.name;
        const CZipFileHeader& info = archive.GetMemberInfo(index);
        EXPECT_EQ(info.name, e.name);
        EXPECT_EQ(info.IsDirectory(), e.method < 0) << e.name;
        if (e.method < 0) continue;
        EXPECT_EQ(info.method, e.method) << e.name;
        EXPECT_EQ(info.uncompressedSize, e.content.size()) << e.name;
        EXPECT_EQ(archive.ReadMember(index), e.content) << e.name;
    }
}

// Each fixture is read twice: from its file and from memory.
void ForBothOpenings(const std::string& fixture, const std::function<void(CZipArchive&)>& check)
{
    CZipArchive fromFile;
    fromFile.Open(FixturePath(fixture));
    check(fromFile);
    fromFile.Close();
    EXPECT_FALSE(fromFile.IsOpen());

    CZipArchive fromMemory;
    fromMemory.OpenMemory(FixtureBytes(fixture));
    check(fromMemory);
}

TEST(ZipRead, InfoZipArchiveReadsByteExact)
{
    ForBothOpenings("infozip.zip", [](CZipArchive& a) {
        ExpectMembers(a, InfoZipMembers());
        EXPECT_EQ(a.GetComment(), "Info-ZIP archive comment");
        // Info-ZIP's extra field holds the exact UTC time: 2021-03-04 05:06:08.
        EXPECT_EQ(a.GetMemberInfo(a.FindMember("text.txt")).ModificationTime(), 1614834368);
    });
}

TEST(ZipRead, PythonArchivesReadByteExact)
{
    ForBothOpenings("python.zip", [](CZipArchive& a) {
        ExpectMembers(a, PythonMembers());
        EXPECT_EQ(a.GetComment().size(), 65535u);  // the longest comment there is
        EXPECT_EQ(a.GetComment().substr(0, 14), "comment 00000\n");
        // Without the extra field the MS-DOS time counts, in local time.
        std::tm when{};
        when.tm_year = 122, when.tm_mon = 6, when.tm_mday = 8, when.tm_hour = 9, when.tm_min = 10,
        when.tm_sec = 12, when.tm_isdst = -1;
        EXPECT_EQ(a.GetMemberInfo(0).ModificationTime(), std::mktime(&when));
    });
    // Streamed: each member's sizes and CRC follow its data in a descriptor.
    ForBothOpenings("python_stream.zip", [](CZipArchive& a) {
        ExpectMembers(a, PythonMembers());
        EXPECT_TRUE(a.GetMemberInfo(2).HasDataDescriptor());
    });
}

TEST(ZipRead, FindsNamesWithoutCaseButKeepsCodePage936Characters)
{
    CZipArchive a;
    a.Open(FixturePath("infozip.zip"));
    EXPECT_EQ(a.FindMember("TEXT.TXT"), a.FindMember("text.txt"));
    EXPECT_EQ(a.FindMember("SUB/Deep/A.TXT"), a.FindMember("sub/deep/a.txt"));
    // 0x81 0x41 and 0x81 0x61 are two characters, not one in two cases.
    EXPECT_NE(a.FindMember("\x81\x41.TXT"), a.FindMember("\x81\x61.txt"));
    EXPECT_EQ(a.GetMemberInfo(a.FindMember("\x81\x41.TXT")).name, "\x81\x41.txt");
    EXPECT_EQ(a.FindMember("missing.txt"), -1);
    EXPECT_EQ(a.FindMember("sub"), -1);
}

TEST(ZipRead, EncryptedMembersNeedTheRightPassword)
{
    CZipArchive a;
    a.Open(FixturePath("encrypted.zip"));
    int text = a.FindMember("text.txt"), stored = a.FindMember("stored.bin");
    ASSERT_TRUE(a.GetMemberInfo(text).IsEncrypted());

    EXPECT_EQ(CauseOf([&] { a.ReadMember(text); }), CZipException::badPassword);
    a.SetPassword("Secret");
    EXPECT_EQ(CauseOf([&] { a.ReadMember(text); }), CZipException::badPassword);
    EXPECT_EQ(CauseOf([&] { a.ReadMember(stored); }), CZipException::badPassword);
    a.SetPassword("secret");
    EXPECT_EQ(a.ReadMember(text), TextContent());
    EXPECT_EQ(a.ReadMember(stored), BinaryContent());
    // An empty file: its 12-byte encryption header is all its data.
    int empty = a.FindMember("empty.txt");
    ASSERT_EQ(a.GetMemberInfo(empty).compressedSize, 12u);
    EXPECT_EQ(a.ReadMember(empty), "");
}

// --- damaged archives -------------------------------------------------------

using zipfmt::Get32;

void AddTo32(std::string& zip, std::size_t at, std::int64_t delta)
{
    Put32At(zip, at, static_cast<std::uint32_t>(Get32(zip.data() + at) + delta));
}

TEST(ZipRead, DamagedArchivesFailClearlyWithoutCrashing)
{
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        std::string member;  // read after opening; empty: opening must fail
        CZipException::Cause cause;
        const char* fixture = "infozip.zip";
    };
    const std::vector<Case> cases = {
        {"not a zip", [](std::string& z) { z = "hello, world"; }, "", CZipException::badArchive},
        {"cut in half", [](std::string& z) { z.resize(z.size() / 2); }, "", CZipException::badArchive},
        {"last byte missing", [](std::string& z) { z.pop_back(); }, "", CZipException::badArchive},
        {"directory offset off by one", [](std::string& z) { AddTo32(z, EndRecordAt(z) + 16, 1); }, "",
         CZipException::badArchive},
        {"directory larger than the file",
         [](std::string& z) { Put32At(z, EndRecordAt(z) + 12, 0x7FFFFFFF); }, "", CZipException::badArchive},
        {"local header damaged",
         [](std::string& z) { z[Get32(z.data() + CentralAt(z, "text.txt") + 42)] = 'X'; }, "text.txt",
         CZipException::badArchive},
        {"stored data altered", [](std::string& z) { z[DataAt(z, "stored.bin") + 100] ^= 1; }, "stored.bin",
         CZipException::badCrc},
        {"deflate data damaged", [](std::string& z) { z[DataAt(z, "text.txt")] = 0x07; }, "text.txt",
         CZipException::badData},
        {"unsupported method", [](std::string& z) { z[CentralAt(z, "text.txt") + 10] = 12; }, "text.txt",
         CZipException::unsupported},
        {"declared one byte longer", [](std::string& z) { AddTo32(z, CentralAt(z, "text.txt") + 24, 1); },
         "text.txt", CZipException::badData},
        {"declared one byte shorter", [](std::string& z) { AddTo32(z, CentralAt(z, "text.txt") + 24, -1); },
         "text.txt", CZipException::badData},
        {"stored sizes differ", [](std::string& z) { AddTo32(z, CentralAt(z, "stored.bin") + 20, -1); },
         "stored.bin", CZipException::badData},
        // Seven bytes fit into the gap of the local header's name and extra
        // field: only the local header itself shows the overlap.
        {"compressed size runs into the next member",
         [](std::string& z) { AddTo32(z, CentralAt(z, "text.txt") + 20, 7); }, "", CZipException::badArchive},
        {"central entry signature damaged", [](std::string& z) { z[CentralAt(z, "stored.bin") + 1] = 'X'; }, "",
         CZipException::badArchive},
        // Shifted alike, the offsets would still find every member once
        // subtracted, but the directory is not where the end record says.
        {"directory and every local offset moved forward",
         [](std::string& z) {
             AddTo32(z, EndRecordAt(z) + 16, 64);
             for (const Expected& e : InfoZipMembers()) AddTo32(z, CentralAt(z, e.name) + 42, 64);
         },
         "", CZipException::badArchive},
        // The data descriptor after the data leaves room for the longer size.
        {"compressed size too long",
         [](std::string& z) { AddTo32(z, CentralAt(z, "Dir/Nested/Text.TXT") + 20, 7); },
         "Dir/Nested/Text.TXT", CZipException::badData, "python_stream.zip"},
        {"compressed size too short", [](std::string& z) { AddTo32(z, CentralAt(z, "text.txt") + 20, -100); },
         "text.txt", CZipException::badData},
        {"data past the archive",
         [](std::string& z) { Put32At(z, CentralAt(z, "text.txt") + 20, 0x7FFFFFFF); }, "text.txt",
         CZipException::badArchive},
        {"CRC altered", [](std::string& z) { AddTo32(z, CentralAt(z, "empty.txt") + 16, 1); }, "empty.txt",
         CZipException::badCrc},
        {"beyond the in-memory limit",
         [](std::string& z) { Put32At(z, CentralAt(z, "text.txt") + 24, CZipArchive::kMaxMemoryRead + 1); },
         "text.txt", CZipException::tooLarge},
        {"Zip64 sizes", [](std::string& z) { Put32At(z, CentralAt(z, "text.txt") + 20, 0xFFFFFFFF); }, "",
         CZipException::unsupported},
        {"Zip64 directory offset", [](std::string& z) { Put32At(z, EndRecordAt(z) + 16, 0xFFFFFFFF); }, "",
         CZipException::unsupported},
        {"Zip64 end locator",
         [](std::string& z) {
             z.insert(EndRecordAt(z), std::string("PK\x06\x07", 4) + std::string(16, '\0'));
         },
         "", CZipException::unsupported},
        {"spanned", [](std::string& z) { z[EndRecordAt(z) + 4] = 1; }, "", CZipException::unsupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string zip = FixtureBytes(c.fixture);
        c.damage(zip);
        CZipArchive a;
        EXPECT_EQ(CauseOf([&] {
                      a.OpenMemory(zip);
                      if (!c.member.empty()) a.ReadMember(a.FindMember(c.member));
                  }),
                  c.cause);
    }
}

TEST(ZipRead, AFalseEndRecordInsideTheCommentDoesNotMislead)
{
    std::string zip = FixtureBytes("infozip.zip");
    std::size_t end = EndRecordAt(zip);
    std::string comment = std::string("PK\x05\x06", 4) + std::string(65535 - 4, '\0');
    zip.resize(end + 20);
    zip += std::string("\xFF\xFF", 2) + comment;
    CZipArchive a;
    a.OpenMemory(zip);
    ExpectMembers(a, InfoZipMembers());
    EXPECT_EQ(a.GetComment(), comment);
}

}  // namespace

namespace {

TEST(ZipRead, BytesAroundTheArchiveDoNotHideItsMembers)
{
    const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
        {"bytes appended after the end record", [](std::string& z) { z += std::string(300, 'x') + "tail"; }},
        {"a stub in front, as in a self-extractor", [](std::string& z) { z.insert(0, std::string(4096, 'M')); }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        std::string zip = FixtureBytes("infozip.zip");
        change(zip);
        CZipArchive a;
        a.OpenMemory(zip);
        ExpectMembers(a, InfoZipMembers());
    }
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm when{};
    when.tm_year = year - 1900, when.tm_mon = month - 1, when.tm_mday = day;
    when.tm_hour = hour, when.tm_min = minute, when.tm_sec = second, when.tm_isdst = -1;
    return std::mktime(&when);
}

TEST(ZipTime, LocalTimesRoundTripInTwoSecondSteps)
{
    struct Case {
        int time[6];
        int back[6];  // what the MS-DOS fields give back
    } cases[] = {
        {{2021, 3, 4, 10, 20, 59}, {2021, 3, 4, 10, 20, 58}},
        {{2021, 3, 4, 10, 20, 58}, {2021, 3, 4, 10, 20, 58}},
        {{2021, 12, 31, 23, 59, 59}, {2021, 12, 31, 23, 59, 58}},
        {{2000, 2, 29, 0, 0, 1}, {2000, 2, 29, 0, 0, 0}},
        {{1980, 1, 1, 0, 0, 0}, {1980, 1, 1, 0, 0, 0}},
        {{1975, 6, 1, 12, 0, 0}, {1980, 1, 1, 0, 0, 0}},  // before the earliest MS-DOS date
    };
    for (const Case& c : cases) {
        const int* t = c.time;
        const int* b = c.back;
        SCOPED_TRACE(std::to_string(t[0]) + "-" + std::to_string(t[1]) + "-" + std::to_string(t[2]) + " " +
                     std::to_string(t[3]) + ":" + std::to_string(t[4]) + ":" + std::to_string(t[5]));
        ZipDosTime dos = TimeToDos(LocalTime(t[0], t[1], t[2], t[3], t[4], t[5]));
        EXPECT_EQ(dos.time & 0x1F, b[5] / 2);
        EXPECT_EQ(DosToTime(dos), LocalTime(b[0], b[1], b[2], b[3], b[4], b[5]));
    }
}

}  // namespace
