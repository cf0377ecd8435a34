#include "core/log/run_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kLogPath[] = "run_log_test.log";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

// Each test starts with no log file and the process-wide log closed and reset.
class RunLogTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        RunLog& log = RunLog::Instance();
        log.SetEnabled(true);
        log.Close(kLogPath);
        log.SetAllowed(true);
        log.SetEnabled(false);
        std::remove(kLogPath);
    }
    static void Run(bool enabled, const std::vector<std::string>& lines)
    {
        RunLog& log = RunLog::Instance();
        log.SetEnabled(enabled);
        if (enabled) log.Open(kLogPath);
        for (const std::string& line : lines) WriteLog(line);
        log.Close(kLogPath);
    }
};

}  // namespace

TEST(RunLogFormat, StampsTextAndEndsWithCrLf)
{
    EXPECT_EQ(RunLog::FormatLine(9, 5, 7, "hello"), "09:05:07    hello\r\n");
    EXPECT_EQ(RunLog::FormatLine(23, 59, 59, ""), "23:59:59    \r\n");
    // The text is written byte for byte, code page 936 included.
    EXPECT_EQ(RunLog::FormatLine(0, 0, 0, "\xA1\xEF \xB1\x5C"), "00:00:00    \xA1\xEF \xB1\x5C\r\n");
    // An embedded CR LF breaks the entry; the stamp comes only once.
    EXPECT_EQ(RunLog::FormatLine(1, 2, 3, "a\r\nb"), "01:02:03    a\r\nb\r\n");
}

TEST_F(RunLogTest, AppendsAcrossRunsWithLocalTimeStamps)
{
    Run(true, {"first run"});
    Run(true, {"second run", ""});
    std::string text = ReadAll(kLogPath);
    std::regex expected(
        "\\d\\d:\\d\\d:\\d\\d    first run\r\n"
        "\\d\\d:\\d\\d:\\d\\d    second run\r\n"
        "\\d\\d:\\d\\d:\\d\\d    \r\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(RunLogTest, DisabledRunWritesNothingAndDeletesAnOldLog)
{
    Run(true, {"old"});
    ASSERT_TRUE(Exists(kLogPath));
    Run(false, {"never written"});
    EXPECT_FALSE(Exists(kLogPath));

    {  // an empty file is left alone
        std::ofstream empty(kLogPath, std::ios::binary);
    }
    Run(false, {"x"});
    EXPECT_TRUE(Exists(kLogPath));
}

TEST_F(RunLogTest, DisableClosesButKeepsTheLog)
{
    RunLog& log = RunLog::Instance();
    log.SetEnabled(true);
    log.Open(kLogPath);
    WriteLog("handed over");
    log.Disable();
    EXPECT_FALSE(log.IsOpen());
    WriteLog("not written");
    log.Close(kLogPath);  // logging is off: an end of run would now delete it
    EXPECT_FALSE(Exists(kLogPath));

    Run(true, {"kept"});
    log.SetEnabled(true);
    log.Open(kLogPath);
    log.Disable();
    std::string text = ReadAll(kLogPath);
    EXPECT_NE(text.find("kept"), std::string::npos);
    EXPECT_EQ(text.find("not written"), std::string::npos);
}

TEST_F(RunLogTest, MuteSuppressesWritesAndRestores)
{
    RunLog& log = RunLog::Instance();
    log.SetEnabled(true);
    log.Open(kLogPath);
    WriteLog("before");
    {
        LogMute mute;
        WriteLog("muted");
        {
            LogMute nested;
            WriteLog("muted too");
        }
        EXPECT_FALSE(log.Allowed());
    }
    WriteLog("after");
    log.Close(kLogPath);
    std::string text = ReadAll(kLogPath);
    EXPECT_NE(text.find("before"), std::string::npos);
    EXPECT_NE(text.find("after"), std::string::npos);
    EXPECT_EQ(text.find("muted"), std::string::npos);
}

TEST_F(RunLogTest, ThreadsWriteWholeLines)
{
    RunLog& log = RunLog::Instance();
    log.SetEnabled(true);
    log.Open(kLogPath);
    auto writer = [](char tag) {
        std::string text(40, tag);
        for (int i = 0; i < 1000; ++i) WriteLog(text + std::to_string(i));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    log.Close(kLogPath);

    std::istringstream lines(ReadAll(kLogPath));
    std::regex whole("\\d\\d:\\d\\d:\\d\\d    (a{40}|b{40})\\d{1,3}\r");
    int count = 0, as = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_TRUE(std::regex_match(line, whole)) << "line " << count << ": " << line;
        as += line[12] == 'a';
    }
    EXPECT_EQ(count, 2000);
    EXPECT_EQ(as, 1000);
}
