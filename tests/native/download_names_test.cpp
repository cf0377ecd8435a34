#include "core/transfer/download_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace quibo;

TEST(DownloadNames, NamesThatCouldLeaveTheItemFolderAreRefused)
{
    const struct {
        std::string name;
        bool safe;
    } cases[] = {
        {"setup.exe", true},      {"read me (1).txt", true}, {"中文.dll", true},
        {"", false},              {"..", false},             {"..\\..\\x.exe", false},
        {"../x", false},          {"a:b", false},            {"a/b", false},
        {"CON", false},           {"con.txt", false},        {"LPT1", false},
        {"a<b", false},           {"a>b", false},            {"a\"b", false},
        {"a|b", false},           {"a?b", false},            {"a*b", false},
        {"tail.", false},         {"tail ", false},          {"tab\tx", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnsafeNameReason(c.name).empty(), c.safe) << c.name;
        EXPECT_EQ(UnsafeRecordReason({"", c.name, "t", 0}).empty(), c.safe) << c.name;
        // The same name as a part of a record's subfolder (a separator
        // there only divides parts).
        if (!c.name.empty() && c.name.find_first_of("\\/") == std::string::npos) {
            EXPECT_EQ(UnsafeRecordReason({"sub\\" + c.name + "/deeper", "ok.txt", "t", 0}).empty(), c.safe)
                << c.name;
            EXPECT_EQ(UnsafeRecordReason({"sub\\" + c.name, "ok.txt", "t", 0}).empty(), c.safe) << c.name;
        }
    }
    EXPECT_FALSE(UnsafeRecordReason({"a\\..\\b", "ok.txt", "t", 0}).empty());
    EXPECT_TRUE(UnsafeRecordReason({"", "ok.txt", "t", 0}).empty());
    EXPECT_TRUE(UnsafeRecordReason({"a\\b/c", "ok.txt", "t", 0}).empty());
    EXPECT_FALSE(UnsafeRecordReason({"a\\\\b", "ok.txt", "t", 0}).empty());  // an empty part
}

TEST(DownloadNames, FlattenedNamesOfDifferentFilesNeverMeet)
{
    const std::pair<std::string, std::string> files[] = {
        {"/pub/a.b", "c"}, {"/pub/a", "b.c"},   {"/pub_a", "b"},      {"/pub/a", "b"},
        {"/pub", "a_b"},   {"/pub", "a.b"},     {"/pub", "a_db"},     {"/pub_d", "x"},
        {"/pub.", "x"},    {"C:\\pub\\a", "b"}, {"C:/pub/a", "b"},    {"C_c\\pub\\a", "b"},
        {"/pub/a_", "sb"}, {"/pub/a", "_sb"},   {"/pub/中", "x"},     {"/pub", "中.x"},
    };
    std::set<std::string> names;
    for (const auto& [folder, name] : files) {
        std::string flat = FlattenedName(folder, name);
        EXPECT_EQ(flat.find_first_of("\\/:"), std::string::npos) << flat;
        EXPECT_EQ(flat.find('.'), flat.rfind('.')) << flat;  // the join is the only "."
        names.insert(flat);
    }
    // "\" and "/" are one separator: the same local path written either way.
    EXPECT_EQ(names.size(), std::size(files) - 1);
    EXPECT_EQ(FlattenedName("/pub/a.b", "c"), "_spub_sa_db.c");
}

TEST(DownloadNames, ATrailByteThatLooksLikeASeparatorStaysPartOfItsCharacter)
{
    // "\x95\x5C" is one code page 936 character whose trail byte is "\".
    const std::string folder = "/pub/\x95\x5C";
    EXPECT_EQ(FlattenedName(folder, "x", TextCharset::CodePage936), "_spub_s\x95\x5C.x");
    EXPECT_EQ(FlattenedName(folder, "x", LeadByteRule::SingleByte()), "_spub_s\x95_s.x");
}
