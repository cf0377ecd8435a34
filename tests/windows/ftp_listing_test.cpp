// Listing server folders into download records: which files, their record
// fields, subfolders, names that must not leave their folder, and trees too
// deep to be listed.
#include "download/ftp_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "core/transfer/download_names.h"
#include "ftp_test_support.h"

using namespace quibo;

using namespace ftptest;

namespace {

using Record = std::tuple<std::string, std::string, std::string, std::uint32_t>;

// Sorted, since the server lists a folder in no particular order.
std::vector<Record> Sorted(const std::vector<DownloadRecord>& records)
{
    std::vector<Record> out;
    for (const DownloadRecord& r : records) out.emplace_back(r.subfolder, r.targetName, r.tempName, r.size);
    std::sort(out.begin(), out.end());
    return out;
}

class FtpListingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));
        tree.Put("pkg/a.txt", "aaa");
        tree.Put("pkg/b.DAT", "bbbbb");
        tree.Put("pkg/skip.bin", "s");
        tree.Put("pkg/sub/c.txt", "ccccccc");
        tree.Put("pkg/sub/deeper/d.TXT", "ddddddddddd");
        tree.Folder("pkg/empty");
    }

    FtpTree tree{"ftp_listing_test"};
    FtpConnection ftp;
    std::vector<DownloadRecord> records;
};

}  // namespace

TEST_F(FtpListingTest, MatchingFilesOfTheWholeTreeBecomeRecords)
{
    const std::string root = tree.Remote("pkg");
    ASSERT_TRUE(ListFtpFolder(ftp, root, root, records, " *.txt, *.dat ", true));
    const std::vector<Record> expected = {
        {"", "a.txt", "_sftp__listing__test_spkg.a_dtxt", 3},
        {"", "b.DAT", "_sftp__listing__test_spkg.b_dDAT", 5},
        {"sub", "c.txt", "_sftp__listing__test_spkg_ssub.c_dtxt", 7},
        {"sub/deeper", "d.TXT", "_sftp__listing__test_spkg_ssub_sdeeper.d_dTXT", 11},
    };
    EXPECT_EQ(Sorted(records), expected);
    // A folder's own files come before those of its subfolders.
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].subfolder, "sub/deeper");
}

TEST_F(FtpListingTest, WithoutSubfoldersOnlyTheFolderItself)
{
    const std::string root = tree.Remote("pkg");
    ASSERT_TRUE(ListFtpFolder(ftp, root, root, records, "", false));
    const std::vector<Record> expected = {
        {"", "a.txt", "_sftp__listing__test_spkg.a_dtxt", 3},
        {"", "b.DAT", "_sftp__listing__test_spkg.b_dDAT", 5},
        {"", "skip.bin", "_sftp__listing__test_spkg.skip_dbin", 1},
    };
    EXPECT_EQ(Sorted(records), expected);
}

TEST_F(FtpListingTest, EmptyFolderGivesNoRecordsAndIsNoFailure)
{
    const std::string root = tree.Remote("pkg/empty");
    EXPECT_TRUE(ListFtpFolder(ftp, root, root, records, "", true));
    EXPECT_TRUE(records.empty());
}

TEST_F(FtpListingTest, MissingFolderFailsWithItsLogLine)
{
    LogCapture log;
    const std::string root = tree.Remote("nowhere");
    EXPECT_FALSE(ListFtpFolder(ftp, root, root, records, "", true));
    EXPECT_EQ(log.Text().substr(12), "无法打开服务器文件夹：" + root + "\r\n");
    EXPECT_TRUE(records.empty());
}

TEST_F(FtpListingTest, SubfolderThatCannotBeOpenedFailsTheWholeListing)
{
    // The server refuses to enter "locked_*" folders: the files below one
    // are part of the product all the same.
    tree.Put("pkg/sub/locked_more/e.txt", "e");
    LogCapture log;
    const std::string root = tree.Remote("pkg");
    EXPECT_FALSE(ListFtpFolder(ftp, root, root, records, "", true));
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(Contains(log.Text(), "    无法打开服务器文件夹：" + tree.Remote("pkg/sub/locked_more") + "\r\n"))
        << log.Text();
    // Without subfolders it is never asked for.
    EXPECT_TRUE(ListFtpFolder(ftp, root, root, records, "", false));
    EXPECT_EQ(records.size(), 3u);
}

TEST_F(FtpListingTest, TreeDeeperThanTheLimitFailsWholeWithItsLogLine)
{
    const struct {
        int depth;  // of the deepest folder below the listed one
        bool ok;
    } cases[] = {{kMaxFtpFolderDepth, true}, {kMaxFtpFolderDepth + 1, false}};
    for (const auto& c : cases) {
        FtpTree deep("ftp_listing_deep");
        std::string chain;
        for (int level = 1; level <= c.depth; ++level)
            chain += (level > 1 ? "/d" : "d") + std::to_string(level);
        deep.Put("top.txt", "t");
        deep.Put(chain + "/bottom.txt", "b");

        std::vector<DownloadRecord> found;
        LogCapture log;
        EXPECT_EQ(ListFtpFolder(ftp, deep.Remote(), deep.Remote(), found, "", true), c.ok) << c.depth;
        std::string text = log.Text();
        if (c.ok) {
            EXPECT_EQ(found.size(), 2u) << c.depth;
            EXPECT_EQ(text, "") << c.depth;
        } else {
            EXPECT_TRUE(found.empty()) << c.depth;
            EXPECT_TRUE(Contains(text, "    错误：服务器文件夹层次太深：" + deep.Remote(chain) + "\r\n"))
                << text;
        }
    }
}

TEST_F(FtpListingTest, NamesThatWouldLeaveTheirFolderAreListedForTheCallerToRefuse)
{
    // A Unix server may hold names with "\" in them, which on Windows are
    // paths. They are put there through the server itself. Passing over
    // them would install the product without those files; they are listed
    // as they are, and the records' check refuses them.
    const std::string folder = tree.Remote("pkg/sub");
    ASSERT_TRUE(::FtpSetCurrentDirectoryA(ftp.Handle(), folder.c_str()));
    for (const char* name : {"..\\..\\evil.txt", "x..y.txt"}) {
        UniqueInternetHandle file(
            ::FtpOpenFileA(ftp.Handle(), name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0));
        ASSERT_TRUE(file) << name;
        DWORD written = 0;
        ASSERT_TRUE(::InternetWriteFile(file.Get(), "evil", 4, &written));
    }
    ASSERT_TRUE(::FtpCreateDirectoryA(ftp.Handle(), "..\\..\\outside"));
    ASSERT_TRUE(::FtpSetCurrentDirectoryA(ftp.Handle(), (folder + "/..\\..\\outside").c_str()));
    {
        UniqueInternetHandle file(
            ::FtpOpenFileA(ftp.Handle(), "inner.txt", GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0));
        ASSERT_TRUE(file);
    }

    const std::string root = tree.Remote("pkg");
    ASSERT_TRUE(ListFtpFolder(ftp, root, root, records, "*.txt", true));
    std::vector<std::string> refused;
    for (const DownloadRecord& r : records)
        if (!UnsafeRecordReason(r).empty()) refused.push_back(r.subfolder + "|" + r.targetName);
    std::sort(refused.begin(), refused.end());
    EXPECT_EQ(refused, (std::vector<std::string>{"sub/..\\..\\outside|inner.txt", "sub|..\\..\\evil.txt"}));
    EXPECT_EQ(records.size(), 6u);  // a.txt, c.txt, d.TXT, x..y.txt and the two refused

    // Names with "\" cannot be reached through the Windows file system here.
    ASSERT_TRUE(::FtpSetCurrentDirectoryA(ftp.Handle(), folder.c_str()));
    ::FtpDeleteFileA(ftp.Handle(), "..\\..\\outside/inner.txt");
    ::FtpRemoveDirectoryA(ftp.Handle(), "..\\..\\outside");
    ::FtpDeleteFileA(ftp.Handle(), "..\\..\\evil.txt");
}
