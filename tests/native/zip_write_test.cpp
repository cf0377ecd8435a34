// Changing archives: delete and add, what the reference tools make of the
// result, and that a rewrite which fails leaves the old archive untouched.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_native_path.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

const std::string kPackageName = "\xC5\xE4\xD6\xC3.dat";  // code page 936

// Members of `changed` that `original` also has must read the same.
void ExpectSameMembers(const std::string& original, const std::string& changed, const std::string& except)
{
    CZipArchive a, b;
    a.Open(original);
    b.Open(changed);
    for (int i = 0; i < a.GetCount(); ++i) {
        const std::string& name = a.GetMemberInfo(i).name;
        if (name == except) continue;
        int j = b.FindMember(name);
        ASSERT_GE(j, 0) << name;
        EXPECT_EQ(b.ReadMember(j), a.ReadMember(i)) << name;
    }
}

#ifndef _WIN32
// unzip's own test of every member, and Python's: both check each CRC.
void ExpectReferenceToolsAccept(const std::string& path, const std::string& password = "")
{
    std::string p = password.empty() ? "" : " -P " + password;
    EXPECT_TRUE(Succeeds("unzip -tq" + p + " " + Quote(path))) << path;
    std::string pwd = password.empty() ? "None" : "b'" + password + "'";
    EXPECT_TRUE(
        Succeeds("/usr/bin/python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                 "z.setpassword(" +
                 pwd + "); sys.exit(z.testzip() is not None)\" " + Quote(path)))
        << path;
}
#endif

TEST(ZipWrite, DeleteAndAddRoundTrip)
{
    TempFolder temp;
    std::string path = temp / "package.zip";
    fs::copy_file(FixturePath("infozip.zip"), path);
    {
        CZipArchive a;
        a.Open(path);
        a.DeleteMember(a.FindMember("text.txt"));
        a.AddMember("new.txt", TextContent());
        a.AddMember(kPackageName, "[system]\r\n");
        a.Close();
    }
    CZipArchive b;
    b.Open(path);
    ASSERT_EQ(b.GetCount(), 13);
    EXPECT_EQ(b.FindMember("text.txt"), -1);
    EXPECT_EQ(b.GetMemberInfo(11).name, "new.txt");  // added members come last, in order
    EXPECT_EQ(b.GetMemberInfo(11).method, 8);
    EXPECT_EQ(b.ReadMember(11), TextContent());
    EXPECT_EQ(b.ReadMember(b.FindMember(kPackageName)), "[system]\r\n");
    EXPECT_EQ(b.GetComment(), "Info-ZIP archive comment");
    b.Close();
    ExpectSameMembers(FixturePath("infozip.zip"), path, "text.txt");
#ifndef _WIN32
    ExpectReferenceToolsAccept(path);
#endif
}

TEST(ZipWrite, DeletedDataIsGoneAndDescriptorsSurvive)
{
    TempFolder temp;
    // Streamed members end in data descriptors, which must move with them.
    for (const char* fixture : {"infozip.zip", "python_stream.zip"}) {
        SCOPED_TRACE(fixture);
        std::string path = temp / fixture;
        fs::copy_file(FixturePath(fixture), path);
        std::uintmax_t before = fs::file_size(path);
        CZipArchive a;
        a.Open(path);
        int victim = a.FindMember("stored.bin");
        std::uint32_t freed = a.GetMemberInfo(victim).compressedSize;
        a.DeleteMember(victim);
        EXPECT_EQ(a.FindMember("stored.bin"), -1);
        a.Close();
        EXPECT_LE(fs::file_size(path) + freed, before);  // the archive closed up
        ExpectSameMembers(FixturePath(fixture), path, "stored.bin");
#ifndef _WIN32
        ExpectReferenceToolsAccept(path);
#endif
    }
}

TEST(ZipWrite, AddedMembersAreEncryptedWithThePassword)
{
    TempFolder temp;
    std::string path = temp / "secret.zip";
    WriteBytes(NativePath(path), EmptyArchive());
    {
        CZipArchive a;
        a.Open(path);
        ASSERT_EQ(a.GetCount(), 0);
        a.SetPassword("pw");
        a.AddMember("text.txt", TextContent());
        a.Close();
    }
    CZipArchive b;
    b.Open(path);
    ASSERT_TRUE(b.GetMemberInfo(0).IsEncrypted());
    EXPECT_EQ(CauseOf([&] { b.ReadMember(0); }), CZipException::badPassword);
    b.SetPassword("pw");
    EXPECT_EQ(b.ReadMember(0), TextContent());
    b.Close();
#ifndef _WIN32
    ExpectReferenceToolsAccept(path, "pw");
    EXPECT_FALSE(Succeeds("unzip -tq -P wrong " + Quote(path)));
#endif
}

// Makes the same change each time: one member out, one in.
void ChangeArchive(CZipArchive& a)
{
    a.DeleteMember(a.FindMember("stored.bin"));
    a.AddMember("added.txt", BinaryContent(100000));
}

TEST(ZipWrite, AFailedRewriteLeavesTheOldArchiveByteIdentical)
{
    TempFolder temp;
    const std::string original = FixtureBytes("infozip.zip");

    // How long the new archive would be, to fail at chosen points of it.
    std::string probe = temp / "probe.zip";
    WriteBytes(NativePath(probe), original);
    CZipArchive p;
    p.Open(probe);
    ChangeArchive(p);
    p.Close();
    const std::uint64_t full = fs::file_size(NativePath(probe));

    // Full disk: before anything, in the member data, in the central
    // directory, at the very last byte of the end record.
    std::string path = temp / "package.zip";
    for (std::uint64_t capacity : {std::uint64_t(0), std::uint64_t(5000), full - 100, full - 1}) {
        SCOPED_TRACE(capacity);
        WriteBytes(NativePath(path), original);
        CZipArchive a;
        a.Open(path);
        ChangeArchive(a);
        a.SetRewriteCapacity(capacity);
        EXPECT_EQ(CauseOf([&] { a.Close(); }), CZipException::fileError);
        EXPECT_FALSE(a.IsOpen());
        EXPECT_EQ(ReadBytes(NativePath(path)), original);
        EXPECT_FALSE(fs::exists(NativePath(path + ".new")));
    }

    // The new archive cannot even be created beside the old one.
    fs::create_directory(NativePath(path + ".new"));
    CZipArchive a;
    a.Open(path);
    ChangeArchive(a);
    EXPECT_EQ(CauseOf([&] { a.Close(); }), CZipException::fileError);
    EXPECT_EQ(ReadBytes(NativePath(path)), original);
    EXPECT_TRUE(fs::is_directory(NativePath(path + ".new")));
}

TEST(ZipWrite, ChangesReachTheDiskOnlyThroughClose)
{
    TempFolder temp;
    std::string path = temp / "package.zip";
    const std::string original = FixtureBytes("infozip.zip");
    WriteBytes(NativePath(path), original);
    {
        CZipArchive a;
        a.Open(path);
        ChangeArchive(a);
    }  // destroyed without Close: the changes are dropped
    EXPECT_EQ(ReadBytes(NativePath(path)), original);

    CZipArchive m;
    m.OpenMemory(original);
    EXPECT_EQ(CauseOf([&] { m.DeleteMember(0); }), CZipException::badUse);
    EXPECT_EQ(CauseOf([&] { m.AddMember("x", "y"); }), CZipException::badUse);
    EXPECT_EQ(CauseOf([&] { m.ReadMember(m.GetCount()); }), CZipException::badUse);
}

}  // namespace
