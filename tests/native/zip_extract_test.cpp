// Extracting members to disk: paths, contents, times, attributes, and what
// happens to the target when a member is unsafe or damaged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_native_path.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

// Every file and folder below `root`, as paths relative to it.
std::vector<std::string> TreeOf(const fs::path& root)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

std::time_t FileTime(const fs::path& p)
{
    // The same whole-second gap the extractor uses, the other way round.
    using namespace std::chrono;
    auto gap = fs::file_time_type::clock::now().time_since_epoch() - system_clock::now().time_since_epoch();
    auto t = fs::last_write_time(p).time_since_epoch() - round<seconds>(gap);
    return static_cast<std::time_t>(duration_cast<seconds>(t).count());
}

bool IsWritable(const fs::path& p)
{
    return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// Sets the C library's time zone for one test and puts the old one back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(had_ ? old_.c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void Set(const char* zone)
    {
#ifdef _WIN32
        _putenv(("TZ=" + std::string(zone ? zone : "")).c_str());
        _tzset();
#else
        zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
#endif
    }
    bool had_ = false;
    std::string old_;
};

// An extended-timestamp block: flags, then the times those flags announce.
std::string UtcTimeBlock(std::uint8_t flags, const std::vector<std::uint32_t>& times)
{
    std::string block;
    zipfmt::Put16(block, zipfmt::kExtraTimestamp);
    zipfmt::Put16(block, static_cast<std::uint16_t>(1 + 4 * times.size()));
    block += static_cast<char>(flags);
    for (std::uint32_t t : times) zipfmt::Put32(block, t);
    return block;
}

// An Info-ZIP Unix owner block, which often stands before or after the times.
std::string OwnerBlock() { return std::string("ux\x0B\x00\x01\x04\xE8\x03\x00\x00\x04\xE8\x03\x00\x00", 15); }

TEST(ZipExtract, WritesEveryMemberBelowTheTargetWithItsTime)
{
    TempFolder temp;
    std::string target = temp / "target";
    CZipArchive a;
    a.Open(FixturePath("infozip.zip"));
    for (int i = 0; i < a.GetCount(); ++i) a.ExtractMember(i, target);

    fs::path root = NativePath(target);
    EXPECT_EQ(ReadBytes(root / "text.txt"), TextContent());
    EXPECT_EQ(ReadBytes(root / "stored.bin"), BinaryContent());
    EXPECT_TRUE(fs::is_regular_file(root / "empty.txt"));
    EXPECT_EQ(fs::file_size(root / "empty.txt"), 0u);
    EXPECT_EQ(ReadBytes(root / "sub" / "deep" / "a.txt"), "in a folder\n");
    EXPECT_EQ(ReadBytes(root / NativePath("\xD6\xD0\xCE\xC4.txt")), "zhongwen\n");
    EXPECT_EQ(ReadBytes(root / NativePath("\x81\x41.txt")), "trail byte A\n");
    EXPECT_EQ(ReadBytes(root / NativePath("\x81\x61.txt")), "trail byte a\n");
    // The trail byte 0x5C is part of the name, not a folder separator.
    EXPECT_EQ(ReadBytes(root / NativePath("\x81\x5C.txt")), "trail byte backslash\n");
    EXPECT_EQ(ReadBytes(root / NativePath("\xC4\xBF\xC2\xBC") / NativePath("\xC5\xE4\xD6\xC3.ini")),
              "[system]\r\nurls=\r\n");
    EXPECT_EQ(TreeOf(root).size(), 12u);                 // 9 files, 3 folders; nothing else
    EXPECT_EQ(FileTime(root / "text.txt"), 1614834368);  // 2021-03-04 05:06:08 UTC
}

TEST(ZipExtract, ReplacesAnExistingFileAndKeepsTheReadOnlyAttribute)
{
    TempFolder temp;
    fs::path root = temp.Path();
    WriteBytes(root / "stored.bin", std::string(20000, 'x'));  // longer than the member
    CZipArchive a;
    a.Open(FixturePath("python.zip"));
    a.ExtractMember(a.FindMember("stored.bin"), root.string());
    EXPECT_EQ(ReadBytes(root / "stored.bin"), BinaryContent());
    EXPECT_TRUE(IsWritable(root / "stored.bin"));  // Unix mode 0644 from the archive

    // A member marked read-only by an MS-DOS host.
    std::string zip = FixtureBytes("python.zip");
    std::size_t central = CentralAt(zip, "Dir/Nested/Text.TXT");
    zip[central + 5] = 0;              // host: MS-DOS
    Put32At(zip, central + 38, 0x21);  // attributes: archive, read-only
    CZipArchive b;
    b.OpenMemory(zip);
    b.ExtractMember(b.FindMember("Dir/Nested/Text.TXT"), root.string());
    EXPECT_EQ(ReadBytes(root / "Dir" / "Nested" / "Text.TXT"), TextContent());
    EXPECT_FALSE(IsWritable(root / "Dir" / "Nested" / "Text.TXT"));
}

TEST(ZipExtract, RefusesEveryNameThatWouldLeaveTheTarget)
{
    TempFolder temp;
    std::string target = temp / "deep/er/target";
    CZipArchive a;
    a.Open(FixturePath("unsafe.zip"));
    ASSERT_EQ(a.GetCount(), 8);
    for (int i = 0; i < a.GetCount(); ++i) {
        const std::string& name = a.GetMemberInfo(i).name;
        SCOPED_TRACE(name);
        if (name == "ok.txt") {
            a.ExtractMember(i, target);
        } else {
            EXPECT_EQ(CauseOf([&] { a.ExtractMember(i, target); }), CZipException::unsafeName);
        }
    }
    // Only the harmless member was written, and only where it belongs.
    EXPECT_EQ(TreeOf(temp.Path()),
              (std::vector<std::string>{"deep", "deep/er", "deep/er/target", "deep/er/target/ok.txt"}));
}

TEST(ZipExtract, AFailedMemberLeavesNoFileBehind)
{
    TempFolder temp;
    fs::path root = temp.Path();
    std::string zip = FixtureBytes("infozip.zip");
    // Break the stored member's data: the CRC check fails after all of it was written.
    zip[DataAt(zip, "stored.bin") + 4000] ^= 0x55;

    CZipArchive a;
    a.OpenMemory(zip);
    EXPECT_EQ(CauseOf([&] { a.ExtractMember(a.FindMember("stored.bin"), root.string()); }),
              CZipException::badCrc);
    EXPECT_FALSE(fs::exists(root / "stored.bin"));

    // A member that cannot even start (no password) does not touch the file
    // already there.
    WriteBytes(root / "text.txt", "keep me");
    CZipArchive e;
    e.Open(FixturePath("encrypted.zip"));
    EXPECT_EQ(CauseOf([&] { e.ExtractMember(e.FindMember("text.txt"), root.string()); }),
              CZipException::badPassword);
    EXPECT_EQ(ReadBytes(root / "text.txt"), "keep me");

    // A file standing where a folder must go.
    WriteBytes(root / "sub", "a file, not a folder");
    CZipArchive f;
    f.Open(FixturePath("infozip.zip"));
    EXPECT_EQ(CauseOf([&] { f.ExtractMember(f.FindMember("sub/deep/a.txt"), root.string()); }),
              CZipException::fileError);
}

TEST(ZipExtract, EncryptedMembersExtractWithThePassword)
{
    TempFolder temp;
    CZipArchive a;
    a.Open(FixturePath("encrypted.zip"));
    a.SetPassword("secret");
    for (int i = 0; i < a.GetCount(); ++i) a.ExtractMember(i, temp.Path().string());
    EXPECT_EQ(ReadBytes(temp.Path() / "text.txt"), TextContent());
    EXPECT_EQ(ReadBytes(temp.Path() / "stored.bin"), BinaryContent());
    ASSERT_TRUE(fs::is_regular_file(temp.Path() / "empty.txt"));  // its data is the encryption header alone
    EXPECT_EQ(fs::file_size(temp.Path() / "empty.txt"), 0u);
}

// The exact UTC time wins over the MS-DOS local time wherever its block
// stands; without it the MS-DOS time counts as local time. Each case runs in
// two time zones, so a local time taken for UTC (or the other way round)
// shows.
TEST(ZipExtract, TakesTheUtcTimeFieldWhereverItStandsInEveryTimeZone)
{
    const std::uint32_t utc = 1600000000;     // 2020-09-13 12:26:40 UTC
    const std::time_t dosAsUtc = 1614834368;  // the members' MS-DOS time, 2021-03-04 05:06:08
    struct Case {
        const char* what;
        std::string extra;
        bool exact;  // the UTC time applies, not the MS-DOS one
    };
    const std::vector<Case> cases = {
        {"alone", UtcTimeBlock(1, {utc}), true},
        {"last, after another block", OwnerBlock() + UtcTimeBlock(1, {utc}), true},
        {"first, before another block", UtcTimeBlock(1, {utc}) + OwnerBlock(), true},
        {"with the access time too", OwnerBlock() + UtcTimeBlock(3, {utc, utc + 99}), true},
        {"without a modification time", OwnerBlock() + UtcTimeBlock(2, {utc + 99}), false},
        {"no extra field", "", false},
    };
    const struct {
        const char* tz;
        long offset;  // seconds east of UTC
    } zones[] = {{"UTC0", 0}, {"CST-8", 8 * 3600}};

    for (const auto& zone : zones) {
        ScopedTimeZone tz(zone.tz);
        TempFolder temp;
        std::vector<StoredMember> members;
        for (std::size_t i = 0; i < cases.size(); ++i)
            members.push_back({"m" + std::to_string(i) + ".txt", "x", 0, cases[i].extra});
        CZipArchive a;
        a.OpenMemory(StoredArchive(members));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(std::string(cases[i].what) + " in " + zone.tz);
            std::time_t expected = cases[i].exact ? static_cast<std::time_t>(utc) : dosAsUtc - zone.offset;
            EXPECT_EQ(a.GetMemberInfo(static_cast<int>(i)).ModificationTime(), expected);
            a.ExtractMember(static_cast<int>(i), temp.Path().string());
            EXPECT_EQ(FileTime(temp.Path() / members[i].name), expected);
        }
    }
}

// A member flagged as UTF-8 gets the file name its characters spell, next
// to a code page 936 member: neither is read in the other's encoding.
TEST(ZipExtract, Utf8FlaggedNamesKeepTheirCharacters)
{
    const std::string folder = u8"\u4E2D\u6587";       // 中文
    const std::string file = u8"\u8BF4\u660E.txt";     // 说明.txt
    const std::string cp936 = "\xC5\xE4\xD6\xC3.ini";  // 配置.ini
    TempFolder temp;
    CZipArchive a;
    a.OpenMemory(StoredArchive(
        {{folder + "/" + file, "utf-8 name\n", zipfmt::kFlagUtf8}, {cp936, "code page 936 name\n"}}));
    for (int i = 0; i < a.GetCount(); ++i) a.ExtractMember(i, temp.Path().string());

    EXPECT_EQ(ReadBytes(temp.Path() / fs::u8path(folder) / fs::u8path(file)), "utf-8 name\n");
    EXPECT_EQ(ReadBytes(temp.Path() / NativePath(cp936)), "code page 936 name\n");
    EXPECT_EQ(TreeOf(temp.Path()).size(), 3u);  // the folder and two files, nothing garbled beside them
}

}  // namespace
