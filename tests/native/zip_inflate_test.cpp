// Inflating members: every size reads whole whatever the read blocks are, and
// a member never gives more than it declares.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_mem_file.h"
#include "core/zip/zip_member_reader.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

#ifndef _WIN32
// Python's zipfile and zlib write one deflated member of zeros and one of
// random bytes per size, and each member's content beside the archive.
const char kMakeMembers[] = R"(import os, random, sys, zipfile
out, sizes = sys.argv[1], [int(a) for a in sys.argv[2:]]
with zipfile.ZipFile(os.path.join(out, "blocks.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    for n in sizes:
        for name, data in (("zeros_%d" % n, bytes(n)), ("random_%d" % n, random.Random(n).randbytes(n))):
            z.writestr(name, data)
            with open(os.path.join(out, "expected", name), "wb") as f:
                f.write(data)
)";

TEST(ZipInflate, MembersAroundReadBlocksReadAndExtractWhole)
{
    // Whole, one short and a little past 1, 2 and 3 blocks of an in-memory
    // read (64 KiB) and of an extraction (256 KiB). zlib can have taken all
    // the input while output is still due exactly at such a boundary.
    std::vector<long> sizes;
    for (long block : {64L << 10, 256L << 10})
        for (long blocks : {1, 2, 3})
            for (long past : {-1, 0, 1, 100, 257}) sizes.push_back(block * blocks + past);

    TempFolder temp;
    fs::create_directory(temp.Path() / "expected");
    WriteBytes(temp.Path() / "make.py", kMakeMembers);
    std::string command = "/usr/bin/python3 " + Quote(temp / "make.py") + " " + Quote(temp.Path().string());
    for (long n : sizes) command += " " + std::to_string(n);
    ASSERT_TRUE(Succeeds(command)) << command;

    CZipArchive a;
    a.Open(temp / "blocks.zip");
    ASSERT_EQ(a.GetCount(), static_cast<int>(2 * sizes.size()));
    fs::path out = temp.Path() / "out";
    for (int i = 0; i < a.GetCount(); ++i) {
        const std::string& name = a.GetMemberInfo(i).name;
        SCOPED_TRACE(name);
        ASSERT_EQ(a.GetMemberInfo(i).method, 8);
        const std::string expected = ReadBytes(temp.Path() / "expected" / name);
        std::string read;
        EXPECT_NO_THROW(read = a.ReadMember(i));
        EXPECT_TRUE(read == expected) << "read " << read.size() << " of " << expected.size() << " bytes";
        EXPECT_NO_THROW(a.ExtractMember(i, out.string()));
        EXPECT_TRUE(ReadBytes(out / name) == expected);
    }
}
#endif

TEST(ZipInflate, AMemberNeverGivesMoreThanItDeclares)
{
    // The text inflates to 112,000 bytes; its entry claims fewer.
    const std::string member = "Dir/Nested/Text.TXT";
    struct Case {
        std::uint32_t declared;
        std::size_t block;  // what each Read asks for
    };
    const std::vector<Case> cases = {
        {0, 1},        {0, 1 << 20},      {1, 1},           {1000, 7}, {1000, 65536}, {65536, 65536},
        {65536, 4096}, {111999, 1 << 20}, {111999, 111999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "declared " << c.declared << ", blocks of " << c.block);
        std::string zip = FixtureBytes("python.zip");
        Put32At(zip, CentralAt(zip, member) + 24, c.declared);

        CZipArchive a;
        a.OpenMemory(zip);
        int index = a.FindMember(member);
        EXPECT_EQ(CauseOf([&] { a.ReadMember(index); }), CZipException::badData);
        TempFolder temp;
        EXPECT_EQ(CauseOf([&] { a.ExtractMember(index, temp.Path().string()); }), CZipException::badData);
        EXPECT_FALSE(fs::exists(temp.Path() / "Dir" / "Nested" / "Text.TXT"));

        // Read by read: the failure comes before the declared size is passed.
        CZipMemFile file(zip);
        CZipMemberReader reader(file, zipfmt::Get32(zip.data() + CentralAt(zip, member) + 42), zip.size(),
                                a.GetMemberInfo(index), "");
        std::vector<char> block(c.block);
        std::uint64_t delivered = 0;
        EXPECT_EQ(CauseOf([&] {
                      while (std::size_t n = reader.Read(block.data(), block.size())) {
                          delivered += n;
                          ASSERT_LE(delivered, c.declared);
                      }
                  }),
                  CZipException::badData);
        EXPECT_LE(delivered, c.declared);
    }
}

}  // namespace
