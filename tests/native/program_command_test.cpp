#include "core/startup/program_command.h"

#include <gtest/gtest.h>

using namespace quibo;

struct PlanCase {
    const char* commandLine;
    const char* file;
    const char* parameters;
    const char* folder;
    bool hidden;
    const char* unregister;
};

const PlanCase kPlans[] = {
    {"C:\\Tools\\setup.exe /silent", "setup.exe", "/silent", "C:\\Tools\\", false, ""},
    {"C:\\Program Files\\App\\app.exe -x", "app.exe", "-x", "C:\\Program Files\\App\\", false, ""},
    {"setup.EXE /q", "setup.EXE", "/q", "", false, ""},
    {"a.bat.exe x", "a.bat.exe", "x", "", false, ""},
    {"run.com a b", "run.com", "a b", "", false, ""},
    {"C:\\x\\go.bat now", "go.bat", "now", "C:\\x\\", false, ""},
    {"C:\\x\\lib.dll extra", "lib.dll extra", "", "C:\\x\\", false, ""},
    {"D:\\doc\\read me.txt", "read me.txt", "", "D:\\doc\\", false, ""},
    {"D:\\cfg\\set.reg", "regedit.exe", "/s D:\\cfg\\set.reg", "", true, ""},
    {"D:\\lib\\ctl.OCX", "regsvr32.exe", "/s D:\\lib\\ctl.OCX", "", true, "/u /s D:\\lib\\ctl.OCX"},
    // A blank in a tool's path is quoted, or the tool would see two arguments.
    {"D:\\my lib\\x.dll", "regsvr32.exe", "/s \"D:\\my lib\\x.dll\"", "", true,
     "/u /s \"D:\\my lib\\x.dll\""},
    {"D:\\a b\\set.reg", "regedit.exe", "/s \"D:\\a b\\set.reg\"", "", true, ""},
    {"", "", "", "", false, ""},
    {" leading.exe x", " leading.exe x", "", "", false, ""},
    {"noblank.exe", "noblank.exe", "", "", false, ""},
};

TEST(ProgramCommand, PlansEveryKindOfCommandLine)
{
    for (const PlanCase& c : kPlans) {
        ProgramCommand plan = PlanProgramCommand(c.commandLine);
        EXPECT_EQ(plan.file, c.file) << c.commandLine;
        EXPECT_EQ(plan.parameters, c.parameters) << c.commandLine;
        EXPECT_EQ(plan.folder, c.folder) << c.commandLine;
        EXPECT_EQ(plan.hidden, c.hidden) << c.commandLine;
        EXPECT_EQ(plan.unregisterParameters, c.unregister) << c.commandLine;
    }
}

TEST(ProgramCommand, FolderSplitRespectsTrailBytes5C)
{
#ifdef _WIN32
    // "癨" is 0xB1 0x5C: its second byte is not a folder separator.
    ProgramCommand plan = PlanProgramCommand("C:\\\xB1\x5C.exe /x");
    EXPECT_EQ(plan.folder, "C:\\");
    EXPECT_EQ(plan.file, "\xB1\x5C.exe");
    EXPECT_EQ(plan.parameters, "/x");
#else
    GTEST_SKIP() << "code page 936 text is checked in the Windows build";
#endif
}
