#include "core/config/config_ini.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace quibo;

namespace {

CConfigIni Loaded(std::string_view text)
{
    CConfigIni ini;
    EXPECT_TRUE(ini.LoadText(text));
    return ini;
}

struct LookupCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    const char* expected;  // GetString with default "<none>"
};

const LookupCase kLookups[] = {
    {"blanks inside brackets", "[ system ]\nkey=a\n", "system", "key", "a"},
    {"plain header", "[system]\nkey=a\n", "system", "key", "a"},
    {"section names are case-sensitive", "[System]\nkey=a\n", "system", "key", "<none>"},
    {"keys are case-sensitive", "[s]\nKey=a\n", "s", "key", "<none>"},
    {"blanks around the equals sign", "[s]\n  key  =  a b  \n", "s", "key", "a b"},
    {"empty value is not the default", "[s]\nkey=\n", "s", "key", ""},
    {"value keeps later equals signs", "[s]\nurl=http://h/?a=b\n", "s", "url", "http://h/?a=b"},
    {"text after the bracket is ignored", "[s] trailing\nkey=a\n", "s", "key", "a"},
    {"header without closing bracket has an empty name", "[s\nkey=a\n", "", "key", "a"},
    {"only the first of two same-named sections", "[s]\nk=1\n[t]\nk=2\n[s]\nk=3\nj=4\n", "s", "j", "<none>"},
    {"entries before any header belong nowhere", "k=1\n[s]\n", "s", "k", "<none>"},
    {"lookup stops at the next header", "[s]\n[t]\nk=1\n", "s", "k", "<none>"},
    {"remark lines are skipped", "[s]\nthis is a remark\nk=1\n", "s", "k", "1"},
    {"indented header and entry", "   [s]\n\t k=1\n", "s", "k", "1"},
    {"missing section", "[s]\nk=1\n", "x", "k", "<none>"},
    {"line without equals has an empty key and value", "[s]\nremark\n", "s", "", ""},
    {"empty key matches a bare equals", "[s]\n=v\n", "s", "", "v"},
    {"first duplicate key wins", "[s]\nk=1\nk=2\n", "s", "k", "1"},
    {"CR LF line ends", "[s]\r\nk=1\r\n", "s", "k", "1"},
};

}  // namespace

TEST(ConfigIni, LooksUpValuesAsTheFormatDefines)
{
    for (const LookupCase& c : kLookups) {
        CConfigIni ini = Loaded(c.text);
        EXPECT_EQ(ini.GetString(c.section, c.key, "<none>"), c.expected) << c.name;
    }
}

TEST(ConfigIni, OccurrenceSelectsLaterDuplicates)
{
    CConfigIni ini = Loaded("[s]\nk=1\nother=x\nk=2\n");
    EXPECT_EQ(ini.GetString("s", "k", "-", 2), "2");
    EXPECT_EQ(ini.GetString("s", "k", "-", 3), "-");
}

TEST(ConfigIni, GetIntConvertsLikeAtoi)
{
    CConfigIni ini = Loaded("[s]\nempty=\nword=abc\nneg= -42x\nplus=+7\nbig=2147483647\nhuge=99999999999\n");
    EXPECT_EQ(ini.GetInt("s", "missing", 9), 9);
    EXPECT_EQ(ini.GetInt("s", "empty", 9), 0);
    EXPECT_EQ(ini.GetInt("s", "word", 9), 0);
    EXPECT_EQ(ini.GetInt("s", "neg", 9), -42);
    EXPECT_EQ(ini.GetInt("s", "plus", 9), 7);
    EXPECT_EQ(ini.GetInt("s", "big", 9), 2147483647);
    EXPECT_EQ(ini.GetInt("s", "huge", 9), 2147483647);  // stops at the limit, on every platform
    EXPECT_EQ(ini.GetInt("none", "k", -3), -3);
}

struct EditCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

const EditCase kEdits[] = {
    {"replace an existing key", "[a]\nk=1\nj=2\n", "a", "k", "9", "[a]\r\nk=9\r\nj=2\r\n"},
    {"replace drops the blanks of the old line", "[a]\n  k = 1\n", "a", "k", "9", "[a]\r\nk=9\r\n"},
    {"new key in a middle section goes before the next header", "[a]\nk=1\n\r\n[b]\nx=1\n", "a", "n", "v",
     "[a]\r\nk=1\r\n\r\nn=v\r\n[b]\r\nx=1\r\n"},
    {"new key in the last section is appended", "[a]\nk=1\n", "a", "n", "v", "[a]\r\nk=1\r\nn=v\r\n"},
    {"new section is appended", "[a]\nk=1\n", "b", "n", "v", "[a]\r\nk=1\r\n[b]\r\nn=v\r\n"},
    {"empty text gets section and key", "", "b", "n", "v", "[b]\r\nn=v\r\n"},
    {"empty value removes the entry", "[a]\nk=1\nj=2\n", "a", "k", "", "[a]\r\nj=2\r\n"},
    {"empty value on a missing key changes nothing", "[a]\nk=1\n[b]\n", "a", "z", "",
     "[a]\r\nk=1\r\n[b]\r\n"},
    {"empty value on a missing section changes nothing", "[a]\nk=1\n", "z", "k", "", "[a]\r\nk=1\r\n"},
    {"only the first of two same-named sections is edited", "[a]\nk=1\n[a]\nk=2\n", "a", "k", "3",
     "[a]\r\nk=3\r\n[a]\r\nk=2\r\n"},
    {"key in a later section is not touched", "[a]\n[b]\nk=1\n", "a", "k", "2",
     "[a]\r\nk=2\r\n[b]\r\nk=1\r\n"},
};

TEST(ConfigIni, SetValueEditsLinesInPlace)
{
    for (const EditCase& c : kEdits) {
        CConfigIni ini;
        if (*c.before)
            ASSERT_TRUE(ini.LoadText(c.before)) << c.name;
        else
            ini.LoadText("\n");  // memory mode with no lines
        ini.SetValue(c.section, c.key, c.value);
        EXPECT_EQ(ini.ToText(), c.after) << c.name;
    }
}

TEST(ConfigIni, LoadTextSplitsAndNormalisesLineEnds)
{
    CConfigIni empty;
    EXPECT_FALSE(empty.LoadText(""));
    EXPECT_TRUE(empty.IsFileMode());

    EXPECT_EQ(Loaded("one line, no LF").Lines(), std::vector<std::string>{"one line, no LF"});
    EXPECT_EQ(Loaded("a\r\nb\r\n").Lines(), Loaded("a\nb\n").Lines());
    // Zero-length pieces are dropped; a lone CR becomes an empty line.
    EXPECT_EQ(Loaded("a\n\n\r\nb").Lines(), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Loaded("a\r\r\n").Lines(), std::vector<std::string>{"a"});
    // A trailing NUL (as a C string read from an archive may carry) is dropped.
    EXPECT_EQ(Loaded(std::string_view("a\nb\0", 4)).Lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Loaded("[s]\n\nk=1\n").ToText(), "[s]\r\nk=1\r\n");
}

TEST(ConfigIni, RoundTripsThroughText)
{
    const std::string text = "[pre]\r\ncloselog=0\r\n\r\n[file1]\r\nname=a.exe\r\nver=1.0.2\r\n";
    CConfigIni first = Loaded(text);
    EXPECT_EQ(first.ToText(), text);
    CConfigIni second = Loaded(first.ToText());
    EXPECT_EQ(second.Lines(), first.Lines());
    EXPECT_EQ(second.GetString("file1", "ver"), "1.0.2");
}

TEST(ConfigIni, CodePage936ValuesAreKeptByteForByte)
{
    // "软件" and "表示" in code page 936; 0xB1 0x5C is a character whose trail byte is "\".
    const std::string value = "\xC8\xED\xBC\xFE \xB1\xED\xCA\xBE \xB1\x5C";
    const std::string section = "\xC9\xE8\xD6\xC3";  // "设置"
    CConfigIni ini = Loaded("[" + section + "]\nname=" + value + "\n");
    EXPECT_EQ(ini.GetString(section, "name"), value);

    ini.SetValue(section, "path", "C:\\\xB1\x5C\\x");
    EXPECT_EQ(ini.GetString(section, "path"), "C:\\\xB1\x5C\\x");
    CConfigIni again = Loaded(ini.ToText());
    EXPECT_EQ(again.GetString(section, "name"), value);
}

TEST(ConfigIni, HandlesTenThousandLines)
{
    std::ostringstream text;
    for (int s = 0; s < 100; ++s) {
        text << "[s" << s << "]\n";
        for (int k = 0; k < 99; ++k) text << "k" << k << "=" << s * 1000 + k << "\n";
    }
    CConfigIni ini = Loaded(text.str());
    ASSERT_EQ(ini.Lines().size(), 10000u);
    EXPECT_EQ(ini.GetInt("s99", "k98", -1), 99098);
    EXPECT_EQ(ini.GetInt("s0", "k0", -1), 0);
    ini.SetValue("s50", "new", "x");
    EXPECT_EQ(ini.Lines()[51 * 100], "new=x");
    EXPECT_EQ(ini.ToText().size(), text.str().size() + 10001 + 6);
}

TEST(ConfigIni, FileModeRereadsAndRewrites)
{
    const std::string path = "config_ini_file_mode.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[s]\r\nk=1\r\n";
    }
    CConfigIni ini(path);
    EXPECT_EQ(ini.GetString("s", "k"), "1");
    EXPECT_TRUE(ini.OpenResult());

    {  // another writer changes the file: the next query sees it
        std::ofstream out(path, std::ios::binary);
        out << "[s]\nk=2\n";
    }
    EXPECT_EQ(ini.GetString("s", "k"), "2");

    EXPECT_TRUE(ini.WriteString("s", "j", "3"));
    std::ifstream in(path, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "[s]\r\nk=2\r\nj=3\r\n");
    EXPECT_EQ(ini.ToText(), "");
    in.close();
    std::remove(path.c_str());

    CConfigIni missing("no_such_dir/none.ini");
    EXPECT_EQ(missing.GetString("s", "k", "dflt"), "dflt");
    EXPECT_FALSE(missing.OpenResult());
    EXPECT_FALSE(missing.WriteString("s", "k", "v"));
}
