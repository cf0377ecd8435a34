// Text helpers. In code page 936 a double-byte character whose second byte
// looks like "\", "{" or a letter must never be taken for that ASCII character.
#include <gtest/gtest.h>

#include <climits>

#include "core/startup/command_line.h"
#include "core/startup/program_names.h"
#include "core/config/config_read.h"
#include "core/config/dir_constants.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "core/text/decimal.h"
#include "core/text/path_text.h"
#include "core/text/split.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

// Characters whose trail byte is an ASCII character.
const std::string kTrailBackslash = "\x81\x5C";  // 乗
const std::string kTrailBrace = "\x81\x7B";      // 亄
const std::string kTrailUpperA = "\x81\x41";     // 丄
constexpr TextCharset kGbk = TextCharset::CodePage936;

TEST(CodePageText, SearchesStepOverWholeCharacters)
{
    EXPECT_EQ(FindText(kTrailBackslash + "\\x", "\\", 0, kGbk), 2u);
    EXPECT_EQ(FindText(kTrailBackslash, "\\", 0, kGbk), std::string::npos);
    EXPECT_EQ(FindLastChar("a\\" + kTrailBackslash, '\\', kGbk), 1u);
    // A lead byte cut off at the end of the text still counts as a character.
    EXPECT_EQ(FindText("ab\x81", "\x81", 0, kGbk), 2u);
    EXPECT_EQ(FindLastChar("a\\\x81", '\\', kGbk), 1u);

    // UTF-8 text (the native build's) is searched byte by byte.
    EXPECT_EQ(FindText(kTrailBackslash, "\\", 0, TextCharset::Utf8), 1u);
    EXPECT_EQ(FindText("帮助;;x", ";;", 0, TextCharset::Utf8), std::string("帮助").size());
}

// The same helpers as the Windows program uses them, on code page 936 text.
TEST(CodePageText, DoubleByteCharactersAreNeverSplit)
{
    if (kBuildCharset != kGbk) GTEST_SKIP() << "runs in the code page 936 build";

    EXPECT_EQ(EnsureTrailingBackslash("C:\\" + kTrailBackslash), "C:\\" + kTrailBackslash + "\\");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\" + kTrailBackslash + "\\"), "C:\\" + kTrailBackslash + "\\");
    EXPECT_EQ(ReplaceAll("C:\\" + kTrailBackslash + "\\x", "\\", "/"), "C:/" + kTrailBackslash + "/x");
    EXPECT_EQ(ToLowerAscii(kTrailUpperA + "B"), kTrailUpperA + "b");
    EXPECT_FALSE(EqualsNoCase(kTrailUpperA,
                              "\x81"
                              "a"));
    EXPECT_FALSE(EndsWithNoCase(kTrailUpperA, "a"));
    EXPECT_TRUE(EndsWithNoCase("x" + kTrailUpperA + "A", "a"));

    const DirConstants dirs = TestContext().dirs;
    EXPECT_EQ(ExpandDirConstants("{pf}\\" + kTrailBrace + "pf}", dirs),
              "C:\\Program Files\\" + kTrailBrace + "pf}");
    EXPECT_EQ(
        ComputeDirConstants("D:\\" + kTrailBackslash + "\\", SystemFolders{}, kGbk)[DirConstant::Parent],
        "D:");

    // Cutting a text short never leaves half a character behind.
    EXPECT_EQ(HeadWithin("ab" + kTrailBackslash, 3, kGbk), "ab");
    EXPECT_EQ(ReplaceAll("{x}{x}", "{x}", kTrailBrace + kTrailBrace, 7, kGbk),
              kTrailBrace + kTrailBrace + kTrailBrace);

    EXPECT_EQ(MutexNameFor("C:\\" + kTrailBackslash + "\\a.exe", kGbk), "C:_" + kTrailBackslash + "_a.exe");
    ModulePathParts parts = SplitModulePath("D:\\" + kTrailBackslash + "a.exe", kGbk);
    EXPECT_EQ(parts.folder, "D:\\");
    EXPECT_EQ(parts.fileName, kTrailBackslash + "a.exe");
}

// Paths from the system follow the system code page's lead bytes: none in
// Western 1252, where "\xE9" is "é" and the "\" after it separates; two ranges
// in Japanese 932, where "\xA0" is a character of its own.
TEST(CodePageText, SystemPathsFollowTheSystemCodePagesLeadBytes)
{
    const LeadByteRule western = LeadByteRule::SingleByte();
    const LeadByteRule japanese = LeadByteRule::SingleByte().AddRange(0x81, 0x9F).AddRange(0xE0, 0xFC);
    struct Case {
        const char* what;
        LeadByteRule rule;
        std::string path, folder, mutex;
    } cases[] = {
        {"1252", western, "C:\\Caf\xE9\\update.exe", "C:\\Caf\xE9\\", "C:_Caf\xE9_update.exe"},
        {"1252", western, "C:\\\x81\\update.exe", "C:\\\x81\\", "C:_\x81_update.exe"},
        {"936", kGbk, "C:\\Caf\xE9\\update.exe", "C:\\", "C:_Caf\xE9\\update.exe"},
        {"932", japanese, "C:\\\xA0\\update.exe", "C:\\\xA0\\", "C:_\xA0_update.exe"},
        {"932", japanese, "C:\\\xE9\\\\update.exe", "C:\\\xE9\\\\", "C:_\xE9\\_update.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.path);
        EXPECT_EQ(SplitModulePath(c.path, c.rule).folder, c.folder);
        EXPECT_EQ(MutexNameFor(c.path, c.rule), c.mutex);
    }
    EXPECT_EQ(PackageNameFor("Caf\xE9.exe", western), "Caf\xE9.bin");
    EXPECT_EQ(ComputeDirConstants("D:\\Caf\xE9\\App\\", SystemFolders{"C:\\Caf\xE9\\"}, western).values[1],
              "D:\\Caf\xE9");
    EXPECT_EQ(ComputeDirConstants("D:\\Caf\xE9\\App\\", SystemFolders{"C:\\Caf\xE9\\"}, western).values[2],
              "C:\\Caf\xE9");
    EXPECT_EQ(ReadCommandLine(" Caf\xE9/OP:CheckVer", western).runMode, RunMode::CheckVer);
    EXPECT_FALSE(ReadCommandLine(" Caf\xE9/OP:CheckVer", kGbk).runMode);  // one character "\xE9/" there
}

TEST(CodePageText, EnsureTrailingBackslash)
{
    struct Case {
        std::string path, expected;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"C:\\Acme", "C:\\Acme\\"},
        {"C:\\Acme\\", "C:\\Acme\\"},
        {"  C:\\Acme  ", "C:\\Acme\\"},
        {"C:\\帮助", "C:\\帮助\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(EnsureTrailingBackslash(c.path), c.expected) << c.path;
}

TEST(CodePageText, CaseFoldingTouchesAsciiLettersOnly)
{
    EXPECT_EQ(ToLowerAscii("SETUP.EXE 升级"), "setup.exe 升级");
    EXPECT_TRUE(EqualsNoCase("File3", "FILE3"));
    EXPECT_FALSE(EqualsNoCase("File3", "File30"));
    EXPECT_TRUE(EndsWithNoCase("x.EXE.exe", ".exe.exe"));
    EXPECT_FALSE(EndsWithNoCase("exe", ".exe"));
}

TEST(CodePageText, ParseDecimalReadsLikeAtoiWithoutOverflow)
{
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"", 0},
        {"  42", 42},
        {"-7", -7},
        {"+3", 3},
        {"12ab", 12},
        {"abc", 0},
        {"- 5", 0},
        {"\t9 ", 9},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.expected) << c.text;
}

TEST(CodePageText, SplitCommaListDropsBlanksAndEmptyPieces)
{
    using List = std::vector<std::string>;
    EXPECT_EQ(SplitCommaList(" a.exe, b.exe,,c.exe , "), (List{"a.exe", "b.exe", "c.exe"}));
    EXPECT_EQ(SplitCommaList("  "), List{});
    EXPECT_EQ(SplitCommaList("Notepad"), List{"Notepad"});
    EXPECT_EQ(SplitString("1-2.0", "-"), (List{"1", "2.0"}));
}

}  // namespace
