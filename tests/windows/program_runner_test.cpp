// The program runner on the real shell: batch files, registry imports, missing
// files, and the wait flag.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "install/program_runner.h"
#include "transfer_test_support.h"

using namespace quibo;

using transfertest::ScratchDir;

namespace {

// A folder of its own under the scratch folder; a blank in its name checks
// that paths with blanks survive the command-line split.
std::string Folder(const ScratchDir& scratch, const std::string& name)
{
    std::string folder = scratch / (name + "\\");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(ProgramRunner, WaitsForABatchFileRunInItsOwnFolder)
{
    ScratchDir scratch;
    std::string folder = Folder(scratch, "runner bat");
    std::string marker = folder + "ran.txt";
    ::DeleteFileA(marker.c_str());
    std::ofstream(folder + "hook.bat") << "@echo off\r\nping -n 2 127.0.0.1 >nul\r\necho %1> ran.txt\r\n";

    EXPECT_EQ(RunProgram(folder + "hook.bat hello", 1), "执行完毕！");
    ASSERT_TRUE(Exists(marker)) << "the batch file did not finish before the runner returned";
    std::ifstream in(marker);
    std::string word;
    in >> word;
    EXPECT_EQ(word, "hello");
}

TEST(ProgramRunner, ImportsARegistryFileSilently)
{
    ScratchDir scratch;
    std::string folder = Folder(scratch, "runner reg");
    std::string file = folder + "settings.reg";
    std::ofstream(file)
        << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\UpdaterTest]\r\n\"Value\"=\"imported\"\r\n";
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\UpdaterTest");

    EXPECT_EQ(RunProgram(file, 1), "执行完毕！");

    char value[64] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, "Software\\UpdaterTest", "Value", RRF_RT_REG_SZ, nullptr,
                             value, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, "imported");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\UpdaterTest");
}

TEST(ProgramRunner, ReportsShellFailuresByTheirText)
{
    ScratchDir scratch;
    std::string folder = Folder(scratch, "runner missing");
    EXPECT_EQ(RunProgram(folder + "absent.exe /x", 1), "指定文件不存在");
}

TEST(ProgramRunner, ResultTextsByErrorCode)
{
    const std::pair<DWORD, const char*> texts[] = {
        {2, "指定文件不存在"},
        {3, "指定路径不存在"},
        {5, "访问指定文件被拒绝"},
        {8, "没有足够的内存来执行操作"},
        {32, "共享违规发生了"},
        {1155, "没有与制定文件名扩展对应的应用程序"},
        {1156, "动态数据交换 (DDE) 处理失败"},
        {1157, "无法找到运行应用程序所必须的库文件"},
        {1223, "这个函数要求用户提供更多其他信息（比如弹出对话框），但请求用户被取消了"},
        {87, "执行完毕！"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(RunResultText(code), text) << code;
}
