#include "core/log/run_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace quibo;

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
}

TEST(RunLogFormat, ATextIsAlwaysOneLineOfBoundedLength)
{
    struct Case {
        const char* what;
        std::string text;
        std::string shown;
    } cases[] = {
        // A value with a line break cannot forge a line of its own.
        {"forged line", "x\r\n12:00:00    发“升级成功”消息", "x\\r\\n12:00:00    发“升级成功”消息"},
        {"lone carriage return", "a\rb", "a\\rb"},
        {"tab and escape", "\t\x1b[2J", "\\t\\x1B[2J"},
        {"NUL and DEL", std::string("a\0b\x7f", 4), "a\\x00b\\x7F"},
        {"long value", std::string(3 * kMaxLogText, 'p'), std::string(kMaxLogText, 'p') + "……"},
        {"at the limit", std::string(kMaxLogText, 'p'), std::string(kMaxLogText, 'p')},
        {"escaped after the cut", std::string(kMaxLogText - 1, 'p') + "\r\r",
         std::string(kMaxLogText - 1, 'p') + "\\r……"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(RunLog::FormatLine(1, 2, 3, c.text) == "01:02:03    " + c.shown + "\r\n") << c.what;
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

TEST_F(RunLogTest, ALogPastItsLimitStartsAnewKeepingThePreviousOne)
{
    const std::string previous = RunLog::PreviousPath(kLogPath);
    EXPECT_EQ(previous, "run_log_test.old.log");
    EXPECT_EQ(RunLog::PreviousPath("client.log"), "client.old.log");
    std::remove(previous.c_str());
    RunLog& log = RunLog::Instance();

    // A log grown past the limit by earlier runs is put aside when opened.
    {
        std::ofstream big(kLogPath, std::ios::binary);
        big << std::string(kMaxLogFileSize, 'x');
    }
    Run(true, {"fresh"});
    EXPECT_EQ(ReadAll(previous).size(), kMaxLogFileSize);
    EXPECT_NE(ReadAll(kLogPath).find("fresh"), std::string::npos);
    EXPECT_LT(ReadAll(kLogPath).size(), 100u);

    // Within one run too, and again and again: the two files stay bounded.
    log.SetFileSizeLimit(1000);
    for (int run = 0; run < 5; ++run) Run(true, std::vector<std::string>(20, std::string(80, 'a' + run)));
    log.SetFileSizeLimit(kMaxLogFileSize);
    std::string current = ReadAll(kLogPath), old = ReadAll(previous);
    EXPECT_LE(current.size(), 1000u);
    EXPECT_LE(old.size(), 1000u);
    EXPECT_NE(current.find(std::string(80, 'e')), std::string::npos);  // the latest run is there
    EXPECT_EQ(old.find(std::string(80, 'a')), std::string::npos);      // the earliest is gone
    EXPECT_EQ((current.size() + old.size()) % 94, 0u) << "only whole lines are written";
    std::remove(previous.c_str());
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
