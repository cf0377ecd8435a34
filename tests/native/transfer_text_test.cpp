// The sizes, speeds and percentages a transfer shows.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/transfer/http_status_text.h"
#include "core/transfer/transfer_text.h"

using namespace quibo;

TEST(TransferText, SizeSwitchesToMegabytesAbove1024Kilobytes)
{
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0.0KB"},
        {1023, "1.0KB"},
        {5000, "4.9KB"},
        {1048576, "1024.0KB"},  // exactly 1024 KB stays in KB
        {1048576 + 1024, "1.0MB"},
        {3 * 1048576 + 524288, "3.5MB"},
        {4294967295u, "4096.0MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(TransferText, SpeedKeepsItsTextUntilOneCanBeWorkedOut)
{
    const struct {
        double bytes, seconds;
        SpeedUnit unit;
        const char* text;
    } cases[] = {
        {1000, 0, SpeedUnit::KiloBytes, "previous"},  // no time has passed
        {1000, -1, SpeedUnit::KiloBytes, "previous"},
        {0, 2, SpeedUnit::KiloBytes, "previous"},  // nothing has arrived
        {2048, 1, SpeedUnit::KiloBytes, "2.0KB/s"},
        {1048576, 1, SpeedUnit::KiloBytes, "1024.0KB/s"},
        {1048576 + 1024, 1, SpeedUnit::KiloBytes, "1.0MB/s"},
        {300e6, 2.5, SpeedUnit::KiloBytes, "114.4MB/s"},
        {3 * 1048576, 2, SpeedUnit::MegaBytes, "1.5MB/s"},  // local copies: always MB/s
        {1000, 1, SpeedUnit::MegaBytes, "0.0MB/s"},
        {0, 1, SpeedUnit::MegaBytes, "previous"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpeedText(c.bytes, c.seconds, c.unit, "previous"), c.text)
            << c.bytes << " in " << c.seconds;
}

TEST(TransferText, PercentIsTheWholePartAndAnEmptyFileIsComplete)
{
    const struct {
        std::uint64_t done, total;
        int percent;
    } cases[] = {
        {0, 0, 100},
        {0, 10, 0},
        {1, 3, 33},
        {2, 3, 66},
        {3, 3, 100},
        {5, 3, 100},  // a file that grew while it was copied
        {4294967294u, 4294967295u, 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(TransferText, InfoAndTrayLines)
{
    EXPECT_EQ(ProgressInfoText("3.5MB", "1.2MB/s"), "3.5MB(1.2MB/s)");
    EXPECT_EQ(TrayProgressText("3.5MB", 42, "1.2MB/s"), "\n下载文件(3.5MB)：42% 1.2MB/s");
    EXPECT_EQ(TrayProgressText("0.0KB", 0, ""), "\n下载文件(0.0KB)：0% ");
}

TEST(HttpStatusText, OnlyListedStatusesHaveAText)
{
    // Two blanks after the colon from 407 on, one before: the texts are matched on.
    EXPECT_EQ(HttpStatusMessage(400), "Http错误400: 请求无效");
    EXPECT_EQ(HttpStatusMessage(401), "Http错误401: 未授权");
    EXPECT_EQ(HttpStatusMessage(405), "Http错误405: 资源被禁止");
    EXPECT_EQ(HttpStatusMessage(406), "Http错误406: 无法接受");
    EXPECT_EQ(HttpStatusMessage(500), "Http错误500:  内部服务器错误");
    EXPECT_EQ(HttpStatusMessage(501), "Http错误501:  未实现");
    for (int status : {0, 200, 302, 402, 408, 410, 503, 504, 999})
        EXPECT_EQ(HttpStatusMessage(status), "") << status;
}
