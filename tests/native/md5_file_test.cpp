#include "core/checksum/file_md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/checksum/md5.h"

using namespace quibo;

namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class FileMd5Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ =
            fs::temp_directory_path() /
            ("file_md5_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static std::string Pattern(size_t size)
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + (i >> 9));
        return bytes;
    }

    fs::path folder_;
};

}  // namespace

TEST_F(FileMd5Test, FilesOfEveryPaddingShapeOneAfterAnother)
{
    // Sizes around the 64-byte block, and across the reader's large reads.
    const size_t sizes[] = {0, 1, 55, 56, 63, 64, 65, 128, 256 * 1024, 256 * 1024 + 1, 700000};
    CFileMd5 reused;
    for (size_t size : sizes) {
        std::string bytes = Pattern(size);
        std::string path = Write("f" + std::to_string(size), bytes);

        CFileMd5 fresh;
        ASSERT_TRUE(fresh.DigestFile(path)) << size;
        const char* digest = fresh.GetDigest();
        ASSERT_NE(digest, nullptr) << size;
        EXPECT_EQ(digest, Md5HexOf(bytes)) << size;
        EXPECT_EQ(fresh.ByteCount(), size);

        ASSERT_TRUE(reused.DigestFile(path)) << size;
        EXPECT_STREQ(reused.GetDigest(), digest) << "digest after earlier files, " << size;
    }
}

TEST_F(FileMd5Test, EmptyFileGivesTheDigestOfTheEmptyMessage)
{
    CFileMd5 md5;
    ASSERT_TRUE(md5.DigestFile(Write("empty", "")));
    EXPECT_STREQ(md5.GetDigest(), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5.GetErrorText(), "");
}

TEST_F(FileMd5Test, MissingFileGivesNoDigestAndNamesThePath)
{
    // Longer than any small fixed text buffer: the whole path must survive.
    std::string path = (folder_ / (std::string(120, 'x') + ".bin")).string();
    CFileMd5 md5;
    EXPECT_FALSE(md5.DigestFile(path));
    EXPECT_EQ(md5.GetDigest(), nullptr);
    EXPECT_EQ(md5.GetErrorText(), "Can not open the file [ " + path + " ] !");
    EXPECT_STREQ(md5.GetErrorTextChinese(), "");
    md5.CloseFile();  // the mismatch path of the caller: harmless without a file
}

TEST_F(FileMd5Test, ErrorsKeepTheFirstTextAndEachDigestStartsClean)
{
    CFileMd5 md5;
    EXPECT_EQ(md5.GetDigest(), nullptr);  // nothing digested yet
    EXPECT_EQ(md5.GetErrorText(), "Have something wrong with MD5!");
    EXPECT_STREQ(md5.GetErrorTextChinese(), "有错误发生!");

    EXPECT_FALSE(md5.DigestFile(""));
    EXPECT_EQ(md5.GetDigest(), nullptr);
    EXPECT_EQ(md5.GetErrorText(), "Have not assign a file !");  // not replaced by GetDigest's
    EXPECT_STREQ(md5.GetErrorTextChinese(), "未指定文件!");

    ASSERT_TRUE(md5.DigestFile(Write("abc", "abc")));
    EXPECT_STREQ(md5.GetDigest(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5.GetErrorText(), "");
}

TEST_F(FileMd5Test, FolderGivesNoDigest)
{
    // Opening fails on Windows; on POSIX the open works and the read fails,
    // which must not pass for an empty file.
    CFileMd5 md5;
    EXPECT_FALSE(md5.DigestFile(folder_.string()));
    EXPECT_EQ(md5.GetDigest(), nullptr);
}

TEST_F(FileMd5Test, FileCanBeDeletedAsSoonAsTheDigestIsKnown)
{
    // A mismatching download is deleted right away; Windows refuses that
    // while the file is still open.
    std::string path = Write("mismatch", Pattern(1000));
    CFileMd5 md5;
    ASSERT_TRUE(md5.DigestFile(path));
    ASSERT_NE(md5.GetDigest(), nullptr);
    EXPECT_EQ(std::remove(path.c_str()), 0);
}

TEST_F(FileMd5Test, BetweenReadsRunsDuringALongDigest)
{
    int calls = 0;
    CFileMd5 md5([&calls] { ++calls; });
    ASSERT_TRUE(md5.DigestFile(Write("long", Pattern(3 * 256 * 1024))));
    EXPECT_GE(calls, 3);
}

TEST_F(FileMd5Test, ExpectedValuesMatchInAnyLetterCase)
{
    const std::string path = Write("abc", "abc");  // 900150983cd24fb0d6963f7d28e17f72
    const struct {
        std::string expected;
        bool matches;
    } cases[] = {
        {"900150983cd24fb0d6963f7d28e17f72", true},
        {"900150983CD24FB0D6963F7D28E17F72", true},
        {"900150983Cd24fB0d6963F7d28e17F72", true},
        {"900150983cd24fb0d6963f7d28e17f73", false},
        {"900150983cd24fb0d6963f7d28e17f7", false},
        {"", false},
    };
    for (const auto& c : cases) {
        std::string digest;
        EXPECT_EQ(Md5Matches(path, c.expected, digest), c.matches) << c.expected;
        EXPECT_EQ(digest, "900150983cd24fb0d6963f7d28e17f72");
    }
    std::string digest;
    EXPECT_FALSE(Md5Matches((folder_ / "missing").string(), "d41d8cd98f00b204e9800998ecf8427e", digest));
    EXPECT_EQ(digest, "");
}
