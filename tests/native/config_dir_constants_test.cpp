#include <gtest/gtest.h>

#include "core/config/dir_constants.h"
#include "config_test_support.h"

using namespace quibo;

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

TEST(DirConstants, AnExpandedValueIsCut)
{
    // A few kilobytes of repeated placeholders in a server configuration
    // must not become megabytes of path (and of run log).
    const DirConstants dirs = TestContext().dirs;
    auto repeat = [](const std::string& s, size_t n) {
        std::string r;
        for (size_t i = 0; i < n; ++i) r += s;
        return r;
    };
    struct Case {
        const char* what;
        std::string text;
        size_t size;
    } cases[] = {
        {"placeholders", repeat("{temp}", 100000), kMaxExpandedLength},
        {"plain text", std::string(kMaxExpandedLength + 100, 'a'), kMaxExpandedLength},
        {"shrinking placeholders", repeat("{appdriver}", 5000), 2 * 5000},
        {"just short enough", "{temp}" + std::string(kMaxExpandedLength - 7, 'a'), kMaxExpandedLength},
    };
    for (const Case& c : cases) {
        std::string expanded = ExpandDirConstants(c.text, dirs);
        EXPECT_EQ(expanded.size(), c.size) << c.what;
        EXPECT_EQ(expanded.substr(0, 1), c.text.substr(0, 1) == "a" ? "a" : "C") << c.what;
    }
}

TEST(DirConstants, ComputedFromTheProgramFolderAndSystemFolders)
{
    SystemFolders folders{
        "C:\\Windows\\", "C:\\Windows\\system32",   "C:\\Users\\me\\Temp\\", "", "C:\\Windows\\Fonts\\",
        "D:\\Docs",      "C:\\Users\\me\\Desktop\\"};
    DirConstants dirs = ComputeDirConstants("C:\\Program Files\\Acme\\App\\", folders, kBuildCharset);
    EXPECT_EQ(dirs.values,
              (std::array<std::string, kDirConstantCount>{
                  "C:", "C:\\Program Files\\Acme", "C:\\Windows", "C:\\Windows\\system32",
                  "C:\\Users\\me\\Temp", "", "C:\\Windows\\Fonts", "D:\\Docs", "C:\\Users\\me\\Desktop"}));

    // A program in a top-level folder: its parent is the drive itself.
    EXPECT_EQ(ComputeDirConstants("C:\\App\\", folders, kBuildCharset)[DirConstant::Parent], "C:");
    EXPECT_EQ(ComputeDirConstants("C:\\App\\", folders, kBuildCharset)[DirConstant::AppDrive], "C:");
}

}  // namespace
