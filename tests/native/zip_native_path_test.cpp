// The archive component and the rest of the program must agree on which file
// an 8-bit path names. The rest of the program passes its paths to the "A"
// functions of Windows (and the C library's narrow ones), which read them in
// the system's ANSI code page whatever the user's format setting says.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/zip/zip_archive.h"
#include "core/zip/zip_native_path.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

// Written and read through the C library's narrow file functions.
void WriteNarrow(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadNarrow(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "(missing)";
    std::string bytes;
    char block[256];
    while (std::size_t n = std::fread(block, 1, sizeof block, f)) bytes.append(block, n);
    std::fclose(f);
    return bytes;
}

TEST(ZipNativePath, NamesTheFileTheNarrowFileFunctionsName)
{
    TempFolder temp;
    const std::string folder = temp.Path().string() + "/";
    // Code page 936 names, one with a trail byte that looks like "\".
    for (const std::string name : {"\xC5\xE4\xD6\xC3.bin", "\x81\x5C.txt", "plain.txt"}) {
        SCOPED_TRACE(name);
        WriteNarrow(folder + name, "narrow");
        EXPECT_EQ(ReadBytes(temp.Path() / NativePath(name)), "narrow");
        WriteBytes(temp.Path() / NativePath(name), "native");
        EXPECT_EQ(ReadNarrow(folder + name), "native");
    }

    // The configuration package: found under the path the program knows it
    // by, and its member lands where the program will look for it.
    const std::string package = folder + "\xC9\xFD\xBC\xB6.bin";  // 升级.bin
    WriteNarrow(package, StoredArchive({{"\xD6\xD0\xCE\xC4.dat", "[pre]\r\n"}}));
    CZipArchive a;
    a.Open(package);
    a.ExtractMember(0, folder);
    EXPECT_EQ(ReadNarrow(folder + "\xD6\xD0\xCE\xC4.dat"), "[pre]\r\n");
}

}  // namespace
