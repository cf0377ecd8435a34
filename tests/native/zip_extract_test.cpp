// Extracting members to disk: paths, contents, times, attributes, and what
// happens to the target when a member is unsafe or damaged.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_native_path.h"
#include "zip_test_support.h"

using namespace ziptest;

namespace {

// Every file and folder below `root`, as paths relative to it.
std::vector<std::string> TreeOf(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

std::time_t FileTime(const fs::path& p) {
    // The same whole-second gap the extractor uses, the other way round.
    using namespace std::chrono;
    auto gap = fs::file_time_type::clock::now().time_since_epoch() - system_clock::now().time_since_epoch();
    auto t = fs::last_write_time(p).time_since_epoch() - round<seconds>(gap);
    return static_cast<std::time_t>(duration_cast<seconds>(t).count());
}

bool IsWritable(const fs::path& p) {
    return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
}

TEST(ZipExtract, WritesEveryMemberBelowTheTargetWithItsTime) {
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

TEST(ZipExtract, ReplacesAnExistingFileAndKeepsTheReadOnlyAttribute) {
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

TEST(ZipExtract, RefusesEveryNameThatWouldLeaveTheTarget) {
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

TEST(ZipExtract, AFailedMemberLeavesNoFileBehind) {
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

TEST(ZipExtract, EncryptedMembersExtractWithThePassword) {
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

}  // namespace
