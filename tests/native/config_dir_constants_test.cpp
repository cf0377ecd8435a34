#include <gtest/gtest.h>

#include "core/config/dir_constants.h"
#include "config_test_support.h"

namespace {

TEST(DirConstants, ExpandedOnlyWhenThePlaceholderBeginsTheValue)
{
    const DirConstants dirs = TestContext().dirs;
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"{temp}\\x", "C:\\Temp\\x"},
        {"x{temp}", "x{temp}"},
        {" {temp}", " {temp}"},
        {"{pf}\\a\\{pf}", "C:\\Program Files\\a\\C:\\Program Files"},
        {"{pf}\\{sys}", "C:\\Program Files\\{sys}"},
        {"{PF}\\a", "{PF}\\a"},
        {"{appdriver}\\Tools", "C:\\Tools"},
        {"{parent}\\Data", "C:\\Acme\\Data"},
        {"{desktop}\\Acme.lnk", "C:\\Desktop\\Acme.lnk"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandDirConstants(c.text, dirs), c.expected) << c.text;
}

TEST(DirConstants, ComputedFromTheProgramFolderAndSystemFolders)
{
    SystemFolders folders{"C:\\Windows\\", "C:\\Windows\\system32", "C:\\Users\\me\\Temp\\", "", "C:\\Windows\\Fonts\\",
                          "D:\\Docs", "C:\\Users\\me\\Desktop\\"};
    DirConstants dirs = ComputeDirConstants("C:\\Program Files\\Acme\\App\\", folders, kBuildCharset);
    EXPECT_EQ(dirs.values, (std::array<std::string, kDirConstantCount>{
                               "C:", "C:\\Program Files\\Acme", "C:\\Windows", "C:\\Windows\\system32",
                               "C:\\Users\\me\\Temp", "", "C:\\Windows\\Fonts", "D:\\Docs", "C:\\Users\\me\\Desktop"}));

    // A program in a top-level folder: its parent is the drive itself.
    EXPECT_EQ(ComputeDirConstants("C:\\App\\", folders, kBuildCharset)[DirConstant::Parent], "C:");
    EXPECT_EQ(ComputeDirConstants("C:\\App\\", folders, kBuildCharset)[DirConstant::AppDrive], "C:");
}

}  // namespace
