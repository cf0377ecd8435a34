// Downloads from the local test servers: whole files over HTTP and HTTPS,
// everything that must not count as a downloaded file, the file that is
// already there, pause, continue and stop in the middle of a transfer,
// redirects, and servers that keep a download waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "download/http_download.h"
#include "recording_view.h"
#include "transfer_test_support.h"

using namespace quibo;

using namespace transfertest;

namespace {

class HttpDownloadTest : public ::testing::Test {
protected:
    HttpDownloadTest() { control.hostWindow = host.Handle(); }

    bool Download(const std::string& url) { return HttpDownload(control, view, url, target, 0); }

    // The whole percents the host heard of, checking that 2021 and 2020 come
    // in pairs that agree with each other.
    std::vector<int> HostPercents(unsigned total)
    {
        std::vector<int> percents;
        auto messages = host.Take();
        EXPECT_EQ(messages.size() % 2, 0u);
        for (size_t i = 0; i + 1 < messages.size(); i += 2) {
            EXPECT_EQ(messages[i].id, 2021u);
            EXPECT_EQ(messages[i].wParam, 100u);
            EXPECT_EQ(messages[i + 1].id, 2020u);
            EXPECT_EQ(messages[i + 1].wParam, total);
            EXPECT_EQ(
                static_cast<LPARAM>(static_cast<unsigned long long>(messages[i + 1].lParam) * 100 / total),
                messages[i].lParam);
            percents.push_back(static_cast<int>(messages[i].lParam));
        }
        return percents;
    }

    ScratchDir dir;
    std::string target = dir / "file.bin";
    HostWindow host;
    TransferControl control;
    RecordingView view;
};

// A download running on its own thread, as on the page's worker.
class BackgroundDownload {
public:
    BackgroundDownload(TransferControl& control, TransferView& view, const std::string& url,
                       const std::string& path)
        : thread_([&, url, path] {
              result_ = HttpDownload(control, view, url, path, 0);
              done_ = true;
          })
    {
    }
    ~BackgroundDownload()
    {
        if (thread_.joinable()) thread_.join();
    }
    bool Done() const { return done_; }
    bool Result()
    {
        if (thread_.joinable()) thread_.join();
        return result_;
    }

private:
    std::atomic<bool> done_{false};
    bool result_ = false;
    std::thread thread_;
};

bool IsStrictlyIncreasing(const std::vector<int>& values)
{
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] <= values[i - 1]) return false;
    return true;
}

}  // namespace

TEST_F(HttpDownloadTest, FetchesWholeFileOverHttpAndHttps)
{
    const std::string bytes = PatternBytes(3 * 1048576 + 17);
    ServedFile served("whole.bin", bytes);
    for (std::string base : {kHttp, kHttps, kHttpsLocalhost}) {
        RecordingView view;
        ASSERT_TRUE(HttpDownload(control, view, base + "whole.bin", target, 0)) << base;
        EXPECT_TRUE(ReadBytes(target) == bytes) << base;
        EXPECT_EQ(view.RowName(0), "file.bin(3.0MB)");
        EXPECT_EQ(view.statuses, std::vector<std::string>{"OK!"});
        EXPECT_EQ(view.fileProgress.front(), 0);
        EXPECT_EQ(view.LastFileProgress(), 100);
        EXPECT_EQ(view.LastRowProgress(0), 100);
        std::string speed = view.rowSpeed[0].back();
        EXPECT_TRUE(speed.size() > 4 &&
                    (speed.substr(speed.size() - 4) == "KB/s" || speed.substr(speed.size() - 4) == "MB/s"))
            << speed;

        std::vector<int> percents = HostPercents(static_cast<unsigned>(bytes.size()));
        ASSERT_FALSE(percents.empty());
        EXPECT_TRUE(IsStrictlyIncreasing(percents));
        EXPECT_EQ(percents.back(), 100);
        ::DeleteFileA(target.c_str());  // or the next round would keep it
    }
}

TEST_F(HttpDownloadTest, FollowsRedirectToTheFile)
{
    const std::string bytes = PatternBytes(70000);
    ServedFile served("moved.bin", bytes);
    ASSERT_TRUE(Download(std::string(kOdd) + "redirect/moved.bin"));
    EXPECT_TRUE(ReadBytes(target) == bytes);
}

TEST_F(HttpDownloadTest, WhatIsNotTheWholeFileIsNoDownload)
{
    ServedFile empty("empty.bin", "");
    const struct {
        const char* what;
        std::string url;
    } cases[] = {
        {"404 with an error page", std::string(kHttp) + "no_such_file.bin"},
        {"503", std::string(kOdd) + "status/503"},
        {"no Content-Length", std::string(kOdd) + "nolength?size=5000"},
        {"Content-Length 0", std::string(kHttp) + "empty.bin"},
        {"connection closed half way", std::string(kOdd) + "cut?size=300000"},
        {"connection reset half way", std::string(kOdd) + "reset?size=300000"},
        {"nothing listens", std::string(kClosed) + "file.bin"},
    };
    for (const auto& c : cases) {
        RecordingView view;
        EXPECT_FALSE(HttpDownload(control, view, c.url, target, 0)) << c.what;
        EXPECT_TRUE(view.statuses.empty()) << c.what;
    }
}

TEST_F(HttpDownloadTest, BodyLongerThanAnnouncedFailsAndEndsAtTheAnnouncedLength)
{
    // Chunked, so that WinINet itself does not stop at the Content-Length.
    const std::string url = std::string(kOdd) + "overlong?size=5000&extra=4000000";
    LogCapture log;
    EXPECT_FALSE(Download(url));
    EXPECT_LE(LocalFileSize(target), 5000);
    EXPECT_NE(log.Text().find("    错误：服务器发来的数据多于它声明的5000字节：" + url + "\r\n"), std::string::npos)
        << log.Text();
}

TEST_F(HttpDownloadTest, BodyCutShortNamesWhatArrivedInTheLog)
{
    const std::string url = std::string(kOdd) + "cut?size=300000";
    LogCapture log;
    EXPECT_FALSE(Download(url));
    EXPECT_NE(log.Text().find("    错误：连接在收到150000字节后中断，服务器声明的长度为300000字节：" + url + "\r\n"),
              std::string::npos)
        << log.Text();
}

TEST_F(HttpDownloadTest, AFileTheDiskHasNoRoomForIsRefusedBeforeAnythingIsWritten)
{
    // A petabyte announced (past 32 bits, too): no disk here holds it.
    const std::string url = std::string(kOdd) + "lying?size=1125899906842624&sent=100000";
    EXPECT_FALSE(Download(url));
    ASSERT_EQ(view.statuses.size(), 1u);
    EXPECT_EQ(view.statuses[0].rfind("错误：磁盘空间不足，下载此文件需要1125899906842624字节，" + dir.Path() + "只有", 0),
              0u)
        << view.statuses[0];
    EXPECT_FALSE(FileExists(target));
}

TEST_F(HttpDownloadTest, RedirectsAreFollowedTenTimesAndNeverAwayFromHttps)
{
    const std::string bytes = PatternBytes(5000);
    ServedFile served("hop.bin", bytes);
    const std::string odd = kOdd;
    const struct {
        const char* what;
        std::string url;
        bool ok;
        std::string logLine;
    } cases[] = {
        {"ten redirects", odd + "hops/10/hop.bin", true,
         "重定向后的下载地址：" + std::string(kHttp) + "hop.bin"},
        {"eleven redirects", odd + "hops/11/hop.bin", false,
         "错误：重定向次数过多：" + odd + "hops/11/hop.bin"},
        {"redirect to itself", odd + "loop", false, "错误：重定向次数过多：" + odd + "loop"},
        {"from http to https", odd + "to_https/hop.bin", true,
         "重定向后的下载地址：" + std::string(kHttps) + "hop.bin"},
        {"from https to http", std::string(kHttps) + "to_http/hop.bin", false,
         "错误：拒绝从HTTPS地址重定向到：" + std::string(kHttp) + "hop.bin"},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(target.c_str());
        LogCapture log;
        const std::string url = c.url, path = target;
        std::optional<bool> ok = ResultWithin<bool>(kEndsWithin, [url, path] {
            TransferControl control;
            RecordingView view;
            return HttpDownload(control, view, url, path, 0);
        });
        if (!ok) {
            ADD_FAILURE() << c.what << ": still following";
            continue;
        }
        EXPECT_EQ(*ok, c.ok) << c.what;
        if (c.ok) {
            EXPECT_TRUE(ReadBytes(target) == bytes) << c.what;
        }
        EXPECT_NE(log.Text().find("    " + c.logLine + "\r\n"), std::string::npos) << c.what;
    }
}

TEST(HttpDownloadLimits, ServerThatKeepsTheDownloadWaitingIsLeftInTime)
{
    const std::string odd = kOdd;
    const struct {
        const char* what;
        std::string url;
        bool ok;
    } cases[] = {
        {"accepts and never answers", odd + "silent", false},
        {"headers a byte every two seconds", odd + "dribble?delay=2", false},
        {"body a byte every half second", odd + "slow?size=100&chunk=1&delay=0.5", false},
        // Longer than the address's time, but every 4 KiB earns it afresh.
        {"slow but steady body", odd + "slow?size=60000&chunk=2048&delay=0.1", true},
    };
    for (const auto& c : cases) {
        const std::string url = c.url;
        std::optional<bool> ok = ResultWithin<bool>(kEndsWithin, [url] {
            ScratchDir dir;
            TransferControl control;
            RecordingView view;
            return HttpDownload(control, view, url, dir / "file.bin", 0, kQuickHttp);
        });
        if (!ok) {
            ADD_FAILURE() << c.what << ": still waiting";
            continue;
        }
        EXPECT_EQ(*ok, c.ok) << c.what;
    }
}

TEST_F(HttpDownloadTest, CertificateThatDoesNotCheckOutIsRefused)
{
    ServedFile served("secret.bin", PatternBytes(1000));
    for (std::string base : {kHttpsWrongName, kHttpsUnknownCa}) {
        EXPECT_FALSE(Download(base + "secret.bin")) << base;
        EXPECT_FALSE(FileExists(target)) << base;
    }
}

TEST_F(HttpDownloadTest, FileOfTheServerSizeIsKept)
{
    const std::string bytes = PatternBytes(5000);
    ServedFile served("kept.bin", bytes);
    const std::string local(5000, 'L');  // same size, other bytes: proves nothing was fetched
    WriteBytes(target, local);
    LogCapture log;

    ASSERT_TRUE(Download(std::string(kHttp) + "kept.bin"));
    EXPECT_EQ(ReadBytes(target), local);
    EXPECT_NE(log.Text().find("此文件以前下载过，不用再下载了。"), std::string::npos);
    EXPECT_EQ(view.fileProgress, (std::vector<int>{0, 100}));
    EXPECT_EQ(view.LastRowProgress(0), 100);
    EXPECT_EQ(view.RowName(0), "file.bin(4.9KB)");

    WriteBytes(target, std::string(4999, 'L'));  // a size that differs is fetched again
    ASSERT_TRUE(Download(std::string(kHttp) + "kept.bin"));
    EXPECT_TRUE(ReadBytes(target) == bytes);
}

TEST_F(HttpDownloadTest, ChineseNameIsSentAsUtf8)
{
    const std::string bytes = PatternBytes(3000);
    ServedFile served("中文 α.bin", bytes);  // on disk in UTF-8, as nginx sees it
    ASSERT_TRUE(Download(std::string(kHttp) + "中文 α.bin"));
    EXPECT_TRUE(ReadBytes(target) == bytes);

    ASSERT_TRUE(Download(std::string(kOdd) + "echo/中文 α"));
    std::string request = ReadBytes(target);
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /echo/%E4%B8%AD%E6%96%87%20%CE%B1 HTTP/1.1");
    EXPECT_NE(request.find("\r\nUser-Agent: Agent0\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
}

TEST_F(HttpDownloadTest, HostHearsWholePercentsNotBlocks)
{
    // 400 pieces of 128 bytes: four arrive for every percent.
    ASSERT_TRUE(Download(std::string(kOdd) + "slow?size=51200&chunk=128&delay=0.001"));
    std::vector<int> percents = HostPercents(51200);
    EXPECT_TRUE(IsStrictlyIncreasing(percents));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_LT(view.infoTexts.size(), 200u);  // the page is not redrawn per piece either
    EXPECT_TRUE(ReadBytes(target) == PatternBytes(51200));
}

TEST_F(HttpDownloadTest, PauseHoldsTheTransferAndContinueGoesOnOverTheSameConnection)
{
    // The server counts the requests that carry this run's id.
    const std::string id =
        "pause" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
    const std::string url = std::string(kOdd) + "slow?size=400000&chunk=4096&delay=0.01&id=" + id;
    BackgroundDownload download(control, view, url, target);
    ASSERT_TRUE(WaitFor([&] { return view.ReportCount() > 0; }));
    control.Pause();
    ::Sleep(200);  // the block in hand is written, then the transfer waits
    size_t reports = view.ReportCount();
    ::Sleep(400);
    EXPECT_EQ(view.ReportCount(), reports);
    EXPECT_FALSE(download.Done());
    EXPECT_LT(view.LastFileProgress(), 100);

    control.Continue();
    EXPECT_TRUE(download.Result());
    EXPECT_TRUE(ReadBytes(target) == PatternBytes(400000));
    EXPECT_EQ(FetchText(std::string(kOdd) + "count?id=" + id), "1");
}

TEST_F(HttpDownloadTest, StopEndsTheTransferAndTheClosedFileIsNotWritten)
{
    const std::string url = std::string(kOdd) + "slow?size=400000&chunk=4096&delay=0.01";
    BackgroundDownload download(control, view, url, target);
    ASSERT_TRUE(WaitFor([&] { return view.ReportCount() > 0; }));
    // What the end of the download does: stop, then close what is open.
    control.Stop();
    control.Files().CloseAll();
    EXPECT_TRUE(WaitFor([&] { return download.Done(); }, 5));
    EXPECT_FALSE(download.Result());
    EXPECT_TRUE(view.statuses.empty());
    EXPECT_TRUE(::DeleteFileA(target.c_str()));  // no handle of the transfer is left open
}

TEST_F(HttpDownloadTest, StopWhilePausedEndsTheTransfer)
{
    const std::string url = std::string(kOdd) + "slow?size=400000&chunk=4096&delay=0.01";
    control.Pause();
    BackgroundDownload download(control, view, url, target);
    ASSERT_TRUE(WaitFor([&] { return view.ReportCount() > 0; }));
    ::Sleep(100);
    EXPECT_FALSE(download.Done());
    control.Stop();
    control.Files().CloseAll();
    EXPECT_TRUE(WaitFor([&] { return download.Done(); }, 5));
    EXPECT_FALSE(download.Result());
}
