// The updater's own files on the real system: one spelling for every way of
// writing a path, and a package replaced so that it is there at every moment.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "transfer_test_support.h"
#include "win/canonical_path.h"
#include "win/file_replace.h"
#include "win/scoped_handle.h"

using namespace quibo;

using transfertest::ScratchDir;

namespace {

void Write(const std::string& path, const std::string& bytes)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// An old package (read-only when asked) and a new one beside it.
struct Packages {
    Packages(const ScratchDir& dir, bool readOnly) : target(dir.Path() + "update.bin"), written(target + ".~qbpkg")
    {
        Write(target, "old package");
        if (readOnly) ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
        Write(written, "new package");
    }
    std::string target;
    std::string written;
};

}  // namespace

TEST(CanonicalPath, EverySpellingOfOneFolderIsOne)
{
    ScratchDir dir;
    const std::string folder = dir.Path() + "Product Folder With A Long Name";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    Write(folder + "\\update.bin", "package");
    char shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA(folder.c_str(), shortName, MAX_PATH), 0u);

    const std::string expected = CanonicalPath(folder + "\\update.bin");
    const std::string spellings[] = {
        folder + "\\UPDATE.BIN",
        folder + "\\sub\\..\\.\\update.bin",
        folder + "/update.bin",
        std::string(shortName) + "\\update.bin",
    };
    for (const std::string& spelling : spellings) EXPECT_EQ(CanonicalPath(spelling), expected) << spelling;
    EXPECT_EQ(CanonicalPath(folder + "\\"), CanonicalPath(std::string(shortName)));
    EXPECT_NE(CanonicalPath(folder + "\\other.bin"), expected);
    // A part that does not exist yet keeps its name, folded.
    EXPECT_EQ(CanonicalPath(std::string(shortName) + "\\New\\File.TXT"), CanonicalPath(folder) + "\\new\\file.txt");
    EXPECT_TRUE(SamePath(folder, std::string(shortName) + "\\"));
}

TEST(ReplaceFileDurably, ReplacesAPlainOrReadOnlyTargetAndKeepsItsAttribute)
{
    ScratchDir dir;
    for (bool readOnly : {false, true}) {
        Packages p(dir, readOnly);
        EXPECT_TRUE(ReplaceFileDurably(p.written, p.target)) << readOnly;
        EXPECT_EQ(Read(p.target), "new package");
        EXPECT_EQ(ReadOnly(p.target), readOnly);
        EXPECT_EQ(::GetFileAttributesA(p.written.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(ReplaceFileDurably, ATargetHeldOpenStaysAsItWas)
{
    ScratchDir dir;
    for (bool readOnly : {false, true}) {
        Packages p(dir, readOnly);
        {
            // A reader that lets nobody delete or rename the file under it.
            UniqueFileHandle reader(::CreateFileA(p.target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(reader);
            EXPECT_FALSE(ReplaceFileDurably(p.written, p.target)) << readOnly;
        }
        EXPECT_EQ(Read(p.target), "old package");
        EXPECT_EQ(ReadOnly(p.target), readOnly);
        EXPECT_EQ(Read(p.written), "new package");
    }
    // Nothing to put in place: the target is untouched.
    Packages p(dir, false);
    ::DeleteFileA(p.written.c_str());
    EXPECT_FALSE(ReplaceFileDurably(p.written, p.target));
    EXPECT_EQ(Read(p.target), "old package");
}
