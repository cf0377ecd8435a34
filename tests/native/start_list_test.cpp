#include "core/config/start_list.h"

#include <gtest/gtest.h>

using namespace quibo;

TEST(StartList, FolderRowsShowTheLastPartOfTheFirstAddress)
{
    struct Case {
        const char* address;
        const char* row;
    } cases[] = {
        {"ftp://host/dir/sub", "<sub>"},
        {"http://host/dir/", "<>"},
        {"D:\\share\\tools", "<tools>"},
        {"/rooted", "</rooted>"},  // the only "/" is the first character: shown whole
        {"\\rooted", "<\\rooted>"},
        {"plain", "<plain>"},
        {"", "<>"},
        // 0x95 0x5C is one code page 936 character whose trail byte is "\", not a place to cut.
        {"D:\\share\\x\x95\x5C", "<x\x95\x5C>"},
        {"http://host/a\\b", "<a\\b>"},  // a "/" wins over a later "\"
    };
    for (const Case& c : cases) EXPECT_EQ(FolderRowName(c.address, TextCharset::CodePage936), c.row) << c.address;
}

TEST(StartList, RowsListNewFilesInSlotOrderThenNewFolders)
{
    UpdateConfig config;
    config.files[3] = UpdateItem{};
    config.files[3].isNew = true;
    config.files[3].name = "b.dll";
    config.files[3].serverVersion = "2.0";
    config.files[3].describe = "second";
    config.files[1].isNew = true;
    config.files[1].name = "a.exe";
    config.files[1].serverVersion = "1.1";
    config.files[2].name = "old.txt";  // not new: no row
    config.dirs[0].isNew = true;
    config.dirs[0].serverVersion = "3";
    config.dirs[0].addresses = {{"ftp://h/x/plugins", "", ""}, {"http://h/other", "", ""}};
    config.dirs[1].isNew = true;  // a new folder without addresses still gets its row

    std::vector<StartListRow> rows = NewItemRows(config);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, "a.exe");
    EXPECT_EQ(rows[1].name, "b.dll");
    EXPECT_EQ(rows[1].version, "2.0");
    EXPECT_EQ(rows[1].describe, "second");
    EXPECT_EQ(rows[2].name, "<plugins>");
    EXPECT_EQ(rows[2].version, "3");
    EXPECT_EQ(rows[3].name, "<>");
}
