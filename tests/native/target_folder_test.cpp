// Where an item's files go: absolute, relative and network paths, subfolders,
// and a code page 936 name whose trail byte is a "\".
#include "core/install/target_folder.h"

#include <gtest/gtest.h>

using namespace quibo;

TEST(TargetFolder, PathsAndSubfoldersBecomeOneFolderEndingInABackslash)
{
    const std::string program = "C:\\Prog\\";
    struct Case {
        const char* path;
        const char* subfolder;
        const char* folder;
    } const cases[] = {
        {"D:\\App", "bin/x86", "D:\\App\\bin\\x86\\"},
        {"  D:\\App\\  ", "", "D:\\App\\"},
        {"Tools", "", "C:\\Prog\\Tools\\"},
        {"\\Tools\\", "sub", "C:\\Prog\\Tools\\sub\\"},
        {"\\\\server\\share", "", "C:\\Prog\\\\server\\share\\"},
        {"", "", "C:\\Prog\\"},
        {"", "a/b", "C:\\Prog\\a\\b\\"},
        {"D:/App/lib", "", "D:\\App\\lib\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TargetFolderPath(c.path, c.subfolder, program, TextCharset::Utf8), c.folder)
            << c.path << " + " << c.subfolder;

    // "\xB1\x5C" is one character of code page 936: the path does not end in "\".
    EXPECT_EQ(TargetFolderPath("D:\\\xB1\x5C", "", program, TextCharset::CodePage936), "D:\\\xB1\x5C\\");
}
