// The configured programs run from one table: each hook is announced with its
// own text, and only run_before and run_after are waited for, each by its own
// pause key.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "install/configured_programs.h"
#include "transfer_test_support.h"

using namespace quibo;

using transfertest::ScratchDir;

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(ConfiguredPrograms, EachHookIsAnnouncedByItsTextAndOnlyTheStartAndEndHooksAreWaitedFor)
{
    struct Case {
        ConfiguredProgram which;
        const char* key;
        const char* label;
        bool waited;  // with every pause key set
    };
    const Case cases[] = {
        {ConfiguredProgram::Before, "run_before", "启动升级前执行程序：", true},
        {ConfiguredProgram::After, "run_after", "退出升级程序前执行：", true},
        {ConfiguredProgram::NoNetwork, "run_nonetwork", "无网络时执行程序：", false},
        {ConfiguredProgram::DownloadBefore, "run_dlbefore", "下载前执行程序：", false},
        {ConfiguredProgram::DownloadSucceeded, "run_dlafters", "下载完成后执行指定程序：", false},
        {ConfiguredProgram::DownloadFailed, "run_dlafterf", "下载完成后执行指定程序：", false},
        {ConfiguredProgram::UpdateBefore, "run_udbefore", "更新前执行程序：", false},
        {ConfiguredProgram::UpdateSucceeded, "run_udafters", "更新完成后执行指定程序：", false},
        {ConfiguredProgram::UpdateFailed, "run_udafterf", "更新完成后执行指定程序：", false},
    };
    ScratchDir scratch;
    const std::string slow = scratch / "slow.bat";
    std::ofstream(slow) << "@echo off\r\nping -n 2 127.0.0.1 >nul\r\necho done> %1\r\n";
    for (const Case& c : cases) {
        EXPECT_STREQ(ConfiguredProgramOf(c.which).key, c.key);
        const std::string marker = scratch / (std::string(c.key) + ".ran");
        SystemHooks hooks;
        hooks.runBeforePause = hooks.runAfterPause = 1;
        hooks.*ConfiguredProgramOf(c.which).command = slow + " " + marker;
        std::vector<std::string> announced;
        RunConfiguredProgram(c.which, hooks, [&](const std::string& line) { announced.push_back(line); });
        EXPECT_EQ(Exists(marker), c.waited) << c.key;
        EXPECT_EQ(announced, std::vector<std::string>{c.label + slow + " " + marker}) << c.key;
        ASSERT_TRUE(transfertest::WaitFor([&] { return Exists(marker); })) << c.key << " never ran";

        SystemHooks none;
        announced.clear();
        RunConfiguredProgram(c.which, none, [&](const std::string& line) { announced.push_back(line); });
        // The label without its closing "：" (two bytes in code page 936), then "（没指定）。".
        const std::string label = c.label;
        EXPECT_EQ(announced, std::vector<std::string>{label.substr(0, label.size() - 2) + "（没指定）。"}) << c.key;
    }
    // Each of the two waits by its own key only.
    SystemHooks hooks;
    hooks.runAfterPause = 1;
    const std::string marker = scratch / "before_unpaused.ran";
    hooks.runBefore = slow + " " + marker;
    RunConfiguredProgram(ConfiguredProgram::Before, hooks, [](const std::string&) {});
    EXPECT_FALSE(Exists(marker)) << "run_before waited by run_after_pause";
    ASSERT_TRUE(transfertest::WaitFor([&] { return Exists(marker); }));
}
