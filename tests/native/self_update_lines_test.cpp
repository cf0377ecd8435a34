#include "core/startup/self_update_lines.h"

#include <gtest/gtest.h>

#include "core/startup/command_line.h"
#include "core/startup/program_names.h"

using namespace quibo;

TEST(SelfUpdateLines, TheHandOverLineCarriesTheOriginalSwitches)
{
    struct Case {
        const char* own;
        long host;
        int item;
        const char* version;
        const char* expected;
    } const cases[] = {
        {"", 123, 3, "2.1", "/HWND:123 /self_update:3-2.1"},
        {"   ", 0, 0, "1.0", "/self_update:0-1.0"},
        {" /HWND:77 /x:y ", 77, 19, "10.0.2", "/HWND:77 /x:y /HWND:77 /self_update:19-10.0.2"},
        {"/OP:Preview", 0, 5, "3.0-beta", "/OP:Preview /self_update:5-3.0-beta"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HandOverArguments(c.own, c.host, c.item, c.version), c.expected) << c.own;
}

TEST(SelfUpdateLines, TheFinishLineIsTheCopysLineLowerCased)
{
    struct Case {
        const char* copy;
        const char* expected;
    } const cases[] = {
        {"/HWND:123 /self_update:3-2.1", "/hwnd:123 /self_finish:3-2.1"},
        {"/SELF_UPDATE:1-1.0 Self_Update", "/self_finish:1-1.0 self_finish"},
        // "\x81\x41" is one character whose trail byte is "A": it is kept as it is.
        {"/X:\x81\x41 /SELF_UPDATE:2-1", "/x:\x81\x41 /self_finish:2-1"},
    };
    for (const Case& c : cases) EXPECT_EQ(FinishArguments(c.copy, TextCharset::CodePage936), c.expected) << c.copy;

    // The restarted program still finds its host window and knows it was restarted.
    CommandLineSwitches restarted = ReadCommandLine(FinishArguments("/HWND:123 /self_update:3-2.1", kBuildCharset));
    EXPECT_EQ(restarted.hostWindow, 123);
    EXPECT_TRUE(restarted.selfFinish);
    EXPECT_FALSE(restarted.selfUpdate);
}

TEST(SelfUpdateLines, OnlyAnItemNumberAndOneVersionAreRecorded)
{
    struct Case {
        const char* value;
        const char* section;  // null: nothing recorded
        const char* version;
    } const cases[] = {
        {"3-2.1", "file3", "2.1"},
        {"19-1.0.0.7", "file19", "1.0.0.7"},
        {" 0 - 4.5 ", "file0", "4.5"},
        {"3-2.1-beta", nullptr, nullptr},  // a version with "-" splits into three
        {"3", nullptr, nullptr},
        {"-2.1", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"20-1.0", nullptr, nullptr},  // no such file item
        {"x-1.0", nullptr, nullptr},
        {"999999999999-1.0", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::optional<SelfVersionRecord> record = ReadHandOverValue(c.value);
        ASSERT_EQ(record.has_value(), c.section != nullptr) << c.value;
        if (!record) continue;
        EXPECT_EQ(record->section, c.section);
        EXPECT_EQ(record->version, c.version);
    }
}

TEST(SelfUpdateLines, OnlyATemporaryCopyNamesAProgramToReplace)
{
    struct Case {
        const char* copy;
        const char* program;  // empty: not a copy, nothing is replaced
    } const cases[] = {
        {"update.exe.exe", "update.exe"},
        {"Setup.EXE.Exe", "Setup.EXE"},
        {"升级.exe.exe", "升级.exe"},
        {"update.exe", ""},  // the program itself, given the switch by hand
        {".exe.exe", ""},
        {"update.exe.com", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ProgramNameForCopy(c.copy, kBuildCharset), c.program) << c.copy;
}
