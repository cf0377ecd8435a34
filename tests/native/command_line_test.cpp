#include <gtest/gtest.h>

#include "core/startup/command_line.h"
#include "core/startup/program_names.h"

using namespace quibo;

namespace {

TEST(CommandLine, GetSwitchValue)
{
    struct Case {
        const char* line;
        const char* key;
        const char* value;
    } cases[] = {
        {"/HWND:1234 /OP:CheckVer", "HWND", "1234"},
        {"/HWND:1234 /OP:CheckVer", "OP", "checkver"},  // values come back in lower case
        {"/hwnd:77", "HWND", "77"},
        {"x /Hwnd: /op:preview", "HWND", ""},
        {"/OP:Preview", "HWND", ""},
        {"/self_update:3-2.1", "self_update", "3-2.1"},
        {"/self_update:3-2.1 /HWND:9", "self_update", "3-2.1"},
        {"", "HWND", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(GetSwitchValue(c.line, c.key), c.value) << c.line << " / " << c.key;
}

TEST(CommandLine, ReadCommandLine)
{
    struct Case {
        const char* line;
        long hostWindow;
        std::optional<RunMode> mode;
        bool selfUpdate, selfFinish;
    } cases[] = {
        {"", 0, std::nullopt, false, false},
        {"/HWND:1234 /OP:CheckVer", 1234, RunMode::CheckVer, false, false},
        {"/op:PREVIEW /hwnd:5", 5, RunMode::Preview, false, false},
        {"/HWND: /OP:Update", 0, std::nullopt, false, false},
        {"/HWND:abc", 0, std::nullopt, false, false},
        {"/hwnd:123 /self_update:3-2.1", 123, std::nullopt, true, false},
        {"/hwnd:123 /self_finish:3-2.1", 123, std::nullopt, false, true},
        {"/SELF_UPDATE:1-1.0 self_finish", 0, std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        CommandLineSwitches s = ReadCommandLine(c.line);
        EXPECT_EQ(s.hostWindow, c.hostWindow) << c.line;
        EXPECT_EQ(s.runMode, c.mode) << c.line;
        EXPECT_EQ(s.selfUpdate, c.selfUpdate) << c.line;
        EXPECT_EQ(s.selfFinish, c.selfFinish) << c.line;
    }
}

TEST(CommandLine, ArgumentsFollowTheProgramName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\self_update\\update.exe\" /HWND:5", " /HWND:5"},
        {"update.exe /OP:CheckVer", " /OP:CheckVer"},
        {"update.exe\t/OP:CheckVer", "\t/OP:CheckVer"},  // a tab ends the name as a blank does
        {"\"C:\\a b\\update.exe\"", ""},
        {"C:\\x\"y z\"\\update.exe self_finish", " self_finish"},
        // A switch right after the closing quote is legal and belongs to the arguments.
        {"\"C:\\a b\\update.exe\"/HWND:5 /OP:CheckVer", "/HWND:5 /OP:CheckVer"},
        {"\"update.exe\"self_finish", "self_finish"},
        {"\"C:\\a b\\update.exe", ""},  // never closed: all of it is the name
        {"", ""},
    };
    for (const auto& [line, arguments] : cases) EXPECT_EQ(CommandLineArguments(line), arguments) << line;

    CommandLineSwitches glued =
        ReadCommandLine(CommandLineArguments("\"C:\\a b\\update.exe\"/HWND:5 /OP:CheckVer"));
    EXPECT_EQ(glued.hostWindow, 5);
    EXPECT_EQ(glued.runMode, RunMode::CheckVer);
}

TEST(ProgramNames, TheTemporaryCopySharesPackageAndMutex)
{
    EXPECT_EQ(PackageNameFor("setup.exe", kBuildCharset), "setup.bin");
    EXPECT_EQ(PackageNameFor("setup.exe.exe", kBuildCharset), "setup.bin");
    EXPECT_EQ(PackageNameFor("Setup.EXE.Exe", kBuildCharset), "Setup.bin");
    EXPECT_EQ(PackageNameFor("升级.exe", kBuildCharset), "升级.bin");
    EXPECT_EQ(PackageNameFor("tool", kBuildCharset), "tool.bin");  // no extension to cut

    EXPECT_EQ(MutexNameFor("C:\\Acme\\setup.exe", kBuildCharset), "C:_Acme_setup.exe");
    EXPECT_EQ(MutexNameFor("C:\\Acme\\setup.EXE.exe", kBuildCharset), "C:_Acme_setup.EXE");
}

TEST(ProgramNames, ModulePathAndDownloadFolder)
{
    ModulePathParts parts = SplitModulePath("C:\\Program Files\\Acme\\update.exe", kBuildCharset);
    EXPECT_EQ(parts.folder, "C:\\Program Files\\Acme\\");
    EXPECT_EQ(parts.fileName, "update.exe");
    EXPECT_EQ(DownloadRootFor("C:\\Temp"), "C:\\Temp\\~quibo_tmp\\");
    Sha256Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_EQ(DownloadFolderFor("C:\\Temp", digest), "C:\\Temp\\~quibo_tmp\\a0a1a2a3a4a5a6a7\\");
}

}  // namespace
