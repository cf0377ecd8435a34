// Unpacking a package into a product folder inside an installation: members
// land where their names say and nowhere else, old files are backed up first,
// and whatever stops the unpacking, a rollback leaves the folder as it was.
#include "install/archive_extract.h"

#include <gtest/gtest.h>

#include <string>

#include "../native/zip_test_support.h"
#include "core/zip/zip_format.h"
#include "install_test_support.h"

using namespace quibo;
using namespace installtest;
using transfertest::LogCapture;
using transfertest::ReadBytes;
using transfertest::WriteBytes;

namespace {

const Tree kProduct = {{"keep.dat", "old keep"}, {"e.ini", ""}, {"other.txt", "other"}};

struct Unpacking {
    Unpacking() : tx(downloads / "update.bin.journal", view)
    {
        MakeTree(app.Path(), kProduct);
        EXPECT_TRUE(tx.Begin());
    }
    bool Extract(const std::string& zipBytes)
    {
        WriteBytes(downloads / "pack.zip", zipBytes);
        return ExtractArchive(downloads / "pack.zip", app.Path(), tx, view);
    }
    // Rolls back and ends the run: the folder must be as it was.
    void ExpectUndone()
    {
        tx.RollBack();
        tx.End();
        EXPECT_EQ(Show(Snapshot(app.Path())), Show(kProduct));
    }

    Scratch app{"product"};
    Scratch downloads{"downloads"};
    RecordingInstallView view;
    InstallTransaction tx;
};

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST(ArchiveExtract, UnpacksEveryMemberAndARollbackTakesItAllBack)
{
    Unpacking u;
    const std::string& d = u.app.Path();
    LogCapture log;
    ASSERT_TRUE(u.Extract(ziptest::StoredArchive({
        {"sub/", ""},
        {"sub/a.txt", "zipped a"},
        {"keep.dat", "zipped keep"},
        {"e.ini", "zipped ini"},
        {"new/deep/b.txt", "zipped b"},                                           // folders without members
        {"\xD6\xD0\xCE\xC4/\x81\x5C.txt", "code page 936"},                       // 中文/乗.txt
        {"\xE5\x90\x8D/\xE5\xAD\x97.txt", "utf-8", zipfmt::kFlagUtf8},  // 名/字.txt
    })));
    const Tree unpacked = {
        {"keep.dat", "zipped keep"},   {"e.ini", "zipped ini"},
        {"other.txt", "other"},        {"keep.dat.ebk", "old keep"},
        {"sub", kFolder},              {"sub\\a.txt", "zipped a"},
        {"new", kFolder},              {"new\\deep", kFolder},
        {"new\\deep\\b.txt", "zipped b"}, {"\xD6\xD0\xCE\xC4", kFolder},
        {"\xD6\xD0\xCE\xC4\\\x81\x5C.txt", "code page 936"},
        {"\xC3\xFB", kFolder},         {"\xC3\xFB\\\xD7\xD6.txt", "utf-8"},
    };
    EXPECT_EQ(Show(Snapshot(d)), Show(unpacked));
    // Files are in the written list, folders are not (they are no files to delete).
    EXPECT_EQ(u.tx.Written(),
              (std::vector<std::string>{d + "sub\\a.txt", d + "keep.dat", d + "e.ini", d + "new\\deep\\b.txt",
                                        d + "\xD6\xD0\xCE\xC4\\\x81\x5C.txt", d + "\xC3\xFB\\\xD7\xD6.txt"}));
    const std::vector<std::string> lines = LogLines(log.Text());
    EXPECT_TRUE(Contains(lines, "解压文件：sub/a.txt 到 " + d));
    EXPECT_TRUE(Contains(lines, "将文件：" + d + "keep.dat备份为" + d + "keep.dat.ebk"));
    EXPECT_TRUE(Contains(lines, "解压文件：\xC3\xFB/\xD7\xD6.txt 到 " + d));
    u.ExpectUndone();
}

// A name that would leave the target folder fails the package before any
// member is backed up or written, the members before it included.
TEST(ArchiveExtract, MemberThatLeavesTheFolderFailsThePackageUntouched)
{
    const char* names[] = {
        "../evil.txt", "sub/../../evil.txt", "C:/evil.txt", "/evil.txt", "\\\\server\\share\\evil.txt",
        "sub/CON",     "evil.txt:stream",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Unpacking u;
        LogCapture log;
        EXPECT_FALSE(u.Extract(ziptest::StoredArchive({{"keep.dat", "zipped keep"}, {name, "evil"}})));
        EXPECT_EQ(Show(Snapshot(u.app.Path())), Show(kProduct));
        EXPECT_TRUE(u.tx.Written().empty());
        EXPECT_TRUE(Contains(LogLines(log.Text()),
                             std::string("压缩包中的文件：") + name + "的路径不在解压目录中，拒绝解压！"));
        u.ExpectUndone();
    }
}

TEST(ArchiveExtract, DamagedPackageIsUndone)
{
    std::string badCrc = ziptest::StoredArchive({{"sub/a.txt", "zipped a"}, {"keep.dat", "zipped keep"}});
    badCrc[ziptest::DataAt(badCrc, "keep.dat")] ^= 0x20;
    std::string noEnd = ziptest::StoredArchive({{"keep.dat", "zipped keep"}});
    noEnd.resize(ziptest::EndRecordAt(noEnd));
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a member's bytes changed", badCrc},
        {"cut before its end record", noEnd},
        {"not an archive", "just text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Unpacking u;
        EXPECT_FALSE(u.Extract(c.bytes));
        u.ExpectUndone();
    }
}

TEST(ArchiveExtract, LockedTargetStopsBeforeItIsWritten)
{
    Unpacking u;
    const std::string& d = u.app.Path();
    LogCapture log;
    FileLock lock(d + "keep.dat");
    ASSERT_TRUE(lock.Held());
    EXPECT_FALSE(u.Extract(ziptest::StoredArchive({{"sub/a.txt", "zipped a"}, {"keep.dat", "zipped keep"}})));
    lock.Release();
    EXPECT_EQ(ReadBytes(d + "keep.dat"), "old keep");
    EXPECT_EQ(u.view.boxes, std::vector<std::string>{"文件：" + d + "keep.dat读写违例！"});
    EXPECT_TRUE(Contains(LogLines(log.Text()), "文件：" + d + "keep.dat读写违例！"));
    u.ExpectUndone();
}
