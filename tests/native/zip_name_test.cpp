#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_exception.h"
#include "core/zip/zip_name.h"

using namespace quibo;

namespace {

// Code page 936 characters whose trail byte looks like ASCII.
const std::string kTrailUpperA = "\x81\x41";     // 丄
const std::string kTrailLowerA = "\x81\x61";     // 乤
const std::string kTrailBackslash = "\x81\x5C";  // 乗
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";

TEST(ZipName, ComparesAsciiLettersWithoutCaseButNeverTrailBytes)
{
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

TEST(ZipName, FolderMembersEndInASeparatorThatIsNotATrailByte)
{
    EXPECT_TRUE(EndsWithSeparator("sub/"));
    EXPECT_TRUE(EndsWithSeparator("sub\\"));
    EXPECT_TRUE(EndsWithSeparator(kZhongWen + "/"));
    EXPECT_FALSE(EndsWithSeparator("sub/a.txt"));
    EXPECT_FALSE(EndsWithSeparator("x" + kTrailBackslash));
    // Read as UTF-8 the same bytes do end in a separator.
    EXPECT_TRUE(EndsWithSeparator("x" + kTrailBackslash, false));
}

TEST(ZipName, SplitsSafeNamesIntoFolderComponents)
{
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
        {"..a/b..c", {"..a", "b..c"}},
        {"x" + kTrailBackslash + "..y", {"x" + kTrailBackslash + "..y"}},                 // not "x", "..y"
        {"CONSOLE/COM10/LPT/nullable.txt", {"CONSOLE", "COM10", "LPT", "nullable.txt"}},  // no device names
        {kTrailBackslash + "\\" + kTrailBackslash + ".txt", {kTrailBackslash, kTrailBackslash + ".txt"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeMemberPath(c.name), c.parts) << c.name;
}

TEST(ZipName, RefusesNamesThatCouldLeaveTheTargetFolder)
{
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
        "x\x81",      // half a character: its trail byte is missing
        "sub/\xD6\xD0\xCE",
    };
    for (const std::string& name : unsafe) {
        try {
            SafeMemberPath(name);
            ADD_FAILURE() << "accepted " << name;
        } catch (const CZipException& e) {
            EXPECT_EQ(e.GetCause(), CZipException::unsafeName) << name;
        }
    }
}

// Windows opens a device for these names, or drops the trailing dot or
// blank so that two members land on one file; whichever folder level they
// stand at, in either name encoding.
TEST(ZipName, RefusesDeviceNamesAndNamesWindowsWouldChange)
{
    const std::vector<std::string> refused = {
        "CON",
        "nul",
        "nul.txt",
        "sub/AUX",
        "COM1",
        "LPT1.dll",
        "lpt9 .log",
        "prn.tar.gz",
        "CONIN$",
        "conout$.txt",
        "NUL/a.txt",
        "a/con/b",
        "a.txt.",
        "a.txt ",
        "dir./x.txt",
        "dir /x.txt",
        kZhongWen + "/CON.ini",
        kZhongWen + ".",
        "x\\Com3\\y",
    };
    for (bool multibyte : {true, false}) {
        for (const std::string& name : refused) {
            try {
                SafeMemberPath(name, multibyte);
                ADD_FAILURE() << "accepted " << name << (multibyte ? "" : " (UTF-8)");
            } catch (const CZipException& e) {
                EXPECT_EQ(e.GetCause(), CZipException::unsafeName) << name;
            }
        }
    }
    // In UTF-8 a superscript digit makes a port name too.
    EXPECT_THROW(SafeMemberPath("COM\xC2\xB9.txt", false), CZipException);
    EXPECT_THROW(SafeMemberPath("sub/lpt\xC2\xB3", false), CZipException);
}

// Members flagged as UTF-8 are split as UTF-8, and only well-formed UTF-8
// passes: an overlong form could hide a "/" or a ".", and a file name cannot
// be made of broken sequences at all.
TEST(ZipName, Utf8NamesMustBeWellFormed)
{
    const std::string kUtf8Folder = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
    EXPECT_EQ(SafeMemberPath(kUtf8Folder + "/\xF0\x9F\x93\x84.txt", false),
              (std::vector<std::string>{kUtf8Folder, "\xF0\x9F\x93\x84.txt"}));
    const std::vector<std::string> broken = {
        "a\xC0\xAF..\xC0\xAFx",        // overlong "/"
        "\xE0\x80\xAE\xE0\x80\xAE/x",  // overlong "."
        "a\xFF.txt",
        "\xED\xA0\x80.txt",  // a surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xE4\xB8",          // cut short
        "\xE4\xB8/x",
        "\x81\x41.txt",  // code page 936, flagged as UTF-8 by mistake
    };
    for (const std::string& name : broken) EXPECT_THROW(SafeMemberPath(name, false), CZipException) << name;
}

}  // namespace
