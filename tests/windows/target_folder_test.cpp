// Where an item's files go: absolute and relative paths, subfolders, "/" for
// "\", missing folders made, and code page 936 names whose second byte is "\".
#include "install/target_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "install_test_support.h"

using namespace quibo;
using namespace installtest;

TEST(TargetFolder, ResolvesAndMakesTheFolder)
{
    Scratch scratch{"target"};
    const std::string program = scratch / "App\\";
    ::CreateDirectoryA(program.c_str(), nullptr);
    const std::string other = scratch / "D";
    const struct {
        std::string path, subfolder, folder;
    } cases[] = {
        {other, "", other + "\\"},
        {"  " + other + "\\ ", "bin/x86", other + "\\bin\\x86\\"},
        {"Tools", "", program + "Tools\\"},
        {"\\Tools\\x", "", program + "Tools\\x\\"},
        {"", "", program},
        {"", "sub", program + "sub\\"},
        {"\\\\server\\share", "", program + "\\server\\share\\"},
        // 乗 ends in byte 0x5C: no separator, and the folder still gets its "\".
        {other + "\\\x81\x5C", "", other + "\\\x81\x5C\\"},
        {"\xD6\xD0\x81\x5C/\x81\x5C", "\x81\x5C", program + "\xD6\xD0\x81\x5C\\\x81\x5C\\\x81\x5C\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " | " + c.subfolder);
        EXPECT_EQ(ResolveTargetFolder(c.path, c.subfolder, program), c.folder);
        const DWORD attributes = ::GetFileAttributesA(c.folder.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    }
    // Only the folders named were made: no stray one from a split character.
    const Tree tree = Snapshot(scratch.Path());
    for (const auto& [name, bytes] : tree) EXPECT_EQ(name.find('\x81' + std::string("\\")), name.find("\x81\x5C")) << name;
    EXPECT_EQ(tree.count("D\\\x81"), 0u);
    EXPECT_EQ(tree.count("App\\\xD6\xD0\x81"), 0u);
}

TEST(TargetFolder, EmptyWhenTheFolderCannotBeMade)
{
    Scratch scratch{"target"};
    transfertest::WriteBytes(scratch / "file", "a file, not a folder");
    EXPECT_EQ(ResolveTargetFolder(scratch / "file\\sub", "", scratch.Path()), "");
    EXPECT_EQ(ResolveTargetFolder(scratch / "file", "", scratch.Path()), "");
}
