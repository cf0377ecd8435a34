#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_exception.h"
#include "core/zip/zip_name.h"

namespace {

// Code page 936 characters whose trail byte looks like ASCII.
const std::string kTrailUpperA = "\x81\x41";     // 丄
const std::string kTrailLowerA = "\x81\x61";     // 乤
const std::string kTrailBackslash = "\x81\x5C";  // 乗
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";

TEST(ZipName, ComparesAsciiLettersWithoutCaseButNeverTrailBytes) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"client.dat", "CLIENT.DAT", true},
        {"Sub/Ui.Dat", "sub/ui.dat", true},
        {"client.dat", "client.da", false},
        {"a/b", "a\\b", false},
        {kZhongWen + ".TXT", kZhongWen + ".txt", true},
        {kTrailUpperA + ".txt", kTrailLowerA + ".txt", false},  // two different characters
        {kZhongWen + "A", kZhongWen + "a", true},               // a whole pair, then a real letter
    };
    for (const Case& c : cases) EXPECT_EQ(NamesEqualNoCase(c.a, c.b), c.equal) << c.a << " vs " << c.b;
}

TEST(ZipName, FolderMembersEndInASeparatorThatIsNotATrailByte) {
    EXPECT_TRUE(EndsWithSeparator("sub/"));
    EXPECT_TRUE(EndsWithSeparator("sub\\"));
    EXPECT_TRUE(EndsWithSeparator(kZhongWen + "/"));
    EXPECT_FALSE(EndsWithSeparator("sub/a.txt"));
    EXPECT_FALSE(EndsWithSeparator("x" + kTrailBackslash));
    // Read as UTF-8 the same bytes do end in a separator.
    EXPECT_TRUE(EndsWithSeparator("x" + kTrailBackslash, false));
}

TEST(ZipName, SplitsSafeNamesIntoFolderComponents) {
    struct Case {
        std::string name;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases = {
        {"a.txt", {"a.txt"}},
        {"sub/deep/a.txt", {"sub", "deep", "a.txt"}},
        {"sub\\deep\\a.txt", {"sub", "deep", "a.txt"}},
        {"./sub//a.txt", {"sub", "a.txt"}},
        {"sub/", {"sub"}},
        {"..a/b..", {"..a", "b.."}},
        {kTrailBackslash + "\\" + kTrailBackslash + ".txt", {kTrailBackslash, kTrailBackslash + ".txt"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeMemberPath(c.name), c.parts) << c.name;
}

TEST(ZipName, RefusesNamesThatCouldLeaveTheTargetFolder) {
    const std::vector<std::string> unsafe = {
        "../evil.txt",
        "a/../../evil.txt",
        "..\\evil.txt",
        "sub\\..\\..\\evil.txt",
        "a/..",
        "/abs.txt",
        "\\abs.txt",
        "\\\\server\\share\\x",
        "C:/drive.txt",
        "c:evil.txt",
        "a.txt:stream",
        ".../x",
        ". ./x",
        ".. /x",
        "",
        "./",
        std::string("a\0/../../x", 10),
        "\x81/../x",  // a lead byte cannot swallow a separator
    };
    for (const std::string& name : unsafe) {
        try {
            SafeMemberPath(name);
            ADD_FAILURE() << "accepted " << name;
        } catch (const CZipException& e) {
            EXPECT_EQ(e.GetCause(), CZipException::unsafeName) << name;
        }
    }
    // The trail byte 0x5C belongs to its character, so this is one harmless
    // component, not "x" + "\\..".
    EXPECT_EQ(SafeMemberPath("x" + kTrailBackslash + ".."),
              std::vector<std::string>{"x" + kTrailBackslash + ".."});
}

}  // namespace
