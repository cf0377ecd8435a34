// The program runner on the real shell: batch files, registry imports, missing
// files, and the wait flag.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
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

namespace {

// A top-level window on the test's thread, as the wizard is on the updater's.
class ThreadWindow {
public:
    ThreadWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuiboRunnerTestWindow";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowW(wc.lpszClassName, L"runner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }
    ~ThreadWindow() { ::DestroyWindow(window_); }
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

std::string ProgramBesideTests(const char* name)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// An installer that broadcasts a changed setting waits for every top-level
// window; a runner that waited without answering its own thread's windows
// would hold both programs until the broadcast gave up.
TEST(ProgramRunner, AWaitedProgramThatBroadcastsIsAnsweredByTheWaitingThreadsWindows)
{
    ScratchDir scratch;
    ThreadWindow window;
    ASSERT_NE(window.Get(), nullptr);
    const std::string marker = Folder(scratch, "runner_broadcast") + "found.txt";

    EXPECT_EQ(RunProgram(ProgramBesideTests("broadcaster.exe") + " " + marker + " 3000", 1), "执行完毕！");

    const std::string found = ReadAll(marker);
    EXPECT_NE(found.find("broadcast=answered\n"), std::string::npos) << found;
    // Asked while the runner still waited: every window of this process answered.
    int windows = 0, answered = 0;
    ASSERT_EQ(std::sscanf(found.c_str(), "broadcast=%*s windows=%d answered=%d", &windows, &answered), 2) << found;
    EXPECT_GE(windows, 1);
    EXPECT_EQ(answered, windows);
}
