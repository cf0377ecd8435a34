// Downloading single files from the FTP test server: the file itself, the
// run-log lines of each failure, the same-size rule, the folder the
// connection is left in, and pause, continue and stop in mid-transfer.
#include "download/ftp_download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/transfer/transfer_text.h"
#include "download/ftp_listing.h"
#include "ftp_test_support.h"
#include "recording_view.h"

using namespace quibo;

using namespace ftptest;

namespace {

class FtpDownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort)); }

    bool Download(const std::string& relative, const std::string& local, std::uint32_t knownSize = 0)
    {
        return FtpDownloadFile(ftp, control, view, tree.Remote(relative), local, knownSize, 0);
    }

    FtpTree tree{"ftp_download_test"};
    ScratchDir scratch;
    FtpConnection ftp;
    TransferControl control;
    RecordingView view;
};

}  // namespace

TEST_F(FtpDownloadTest, FileArrivesWholeIntoANewLocalFolder)
{
    const std::string bytes = PatternBytes(300000);
    tree.Put("dir/file.bin", bytes);
    const std::string local = scratch / "file0\\deeper\\file.bin";

    ASSERT_TRUE(Download("dir/file.bin", local));
    EXPECT_EQ(ReadBytes(local), bytes);
    EXPECT_EQ(view.RowName(0), "file.bin(" + SizeText(bytes.size()) + ")");
    EXPECT_EQ(view.fileProgress.front(), 0);
    EXPECT_EQ(view.LastFileProgress(), 100);
    EXPECT_EQ(view.LastRowProgress(0), 100);
    EXPECT_EQ(view.statuses, std::vector<std::string>{"OK!"});
    RemoveTree(scratch / "file0");
}

TEST_F(FtpDownloadTest, FailuresNameTheirCauseInTheRunLog)
{
    tree.Put("dir/file.bin", "data");
    ::CreateDirectoryA((scratch / "taken").c_str(), nullptr);  // a folder where the file should go
    const struct {
        const char* relative;
        std::string local;
        std::vector<std::string> lines;
    } cases[] = {
        {"missing/file.bin",
         scratch / "a.bin",
         {"错误：无法在Ftp服务器中设置当前目录：/ftp_download_test/missing/"}},
        {"dir/missing.bin",
         scratch / "b.bin",
         {"错误：无法取得文件长度！", "错误：无法在Ftp服务器中打开文件：missing.bin"}},
        {"dir/file.bin", scratch / "taken", {"错误：无法在本地创建文件：" + scratch / "taken"}},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(Download(c.relative, c.local)) << c.relative;
        std::string text = log.Text();
        for (const std::string& line : c.lines) EXPECT_TRUE(Contains(text, "    " + line + "\r\n")) << line;
    }
    EXPECT_TRUE(view.statuses.empty());
    ::RemoveDirectoryA((scratch / "taken").c_str());
}

TEST_F(FtpDownloadTest, LocalFileOfTheSameSizeIsKept)
{
    tree.Put("file.bin", PatternBytes(5000));
    const std::string local = scratch / "file.bin";
    WriteBytes(local, std::string(5000, 'x'));

    LogCapture log;
    EXPECT_TRUE(Download("file.bin", local));
    EXPECT_EQ(ReadBytes(local), std::string(5000, 'x'));
    EXPECT_TRUE(Contains(log.Text(), "    此文件以前下载过，不用再下载了。\r\n"));
    EXPECT_EQ(view.LastRowProgress(0), 100);
}

TEST_F(FtpDownloadTest, TransferThatEndsShortOfTheListedSizeFails)
{
    // The listing said 5000 bytes; the server delivers 1000.
    tree.Put("file.bin", PatternBytes(1000));
    EXPECT_FALSE(Download("file.bin", scratch / "file.bin", 5000));
    EXPECT_TRUE(view.statuses.empty());
}

TEST_F(FtpDownloadTest, EmptyFileIsCompleteAtOnce)
{
    tree.Put("empty.bin", "");
    const std::string local = scratch / "empty.bin";
    LogCapture log;
    ASSERT_TRUE(Download("empty.bin", local));
    EXPECT_EQ(LocalFileSize(local), 0);
    EXPECT_EQ(view.LastFileProgress(), 100);
    EXPECT_FALSE(Contains(log.Text(), "无法取得文件长度"));  // listed, with a size of 0
}

TEST_F(FtpDownloadTest, FileOfUnknownSizeIsNeverTakenAsWhole)
{
    // The server tells no size of "unsized_*" and sends only half of
    // "*_cut*": with nothing to hold the bytes against, neither the cut
    // file nor a whole one can be told from the other. WinINet's find reads
    // a ";" in a name as a list of two patterns, so a file so named is never
    // found by its name either.
    const struct {
        const char* name;
        std::uint32_t knownSize;
        bool ok;
        bool unsized;  // the run log says so
    } cases[] = {
        {"unsized_cut.bin", 0, false, true},
        {"unsized_whole.bin", 0, false, true},
        {"odd;name.bin", 0, false, true},
        {"odd;name.bin", 8000, true, false},
        {"listed_cut.bin", 0, false, false},
        {"unsized_cut.bin", 8000, false, false},  // the listing's size shows the cut
        {"unsized_whole.bin", 8000, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.knownSize));
        tree.Put(c.name, PatternBytes(8000));
        const std::string local = scratch / "unsized.bin";
        LogCapture log;
        EXPECT_EQ(Download(c.name, local, c.knownSize), c.ok);
        const std::string text = log.Text();
        if (c.unsized) {
            EXPECT_TRUE(Contains(text, "    错误：无法取得文件长度！\r\n")) << text;
            EXPECT_TRUE(Contains(text, "    错误：服务器没有给出文件长度，无法确认文件是否完整：" +
                                           std::string(c.name) + "\r\n"))
                << text;
        } else {
            EXPECT_FALSE(Contains(text, "无法取得文件长度")) << text;
        }
        if (c.ok) {
            EXPECT_EQ(ReadBytes(local), PatternBytes(8000));
        }
        ::DeleteFileA(local.c_str());
    }
}

TEST_F(FtpDownloadTest, SecondFileOfTheSameFolderDoesNotChangeFolderAgain)
{
    tree.Put("a/x.bin", "x in a");
    tree.Put("a/y.bin", "y in a");
    tree.Put("b/y.bin", "y in b");
    ASSERT_TRUE(Download("a/x.bin", scratch / "x.bin"));
    // Moved behind the download's back: a download that still sends its
    // folder change would fetch "a/y.bin", one that relies on the folder it
    // left the connection in opens "y.bin" right where the connection is.
    ASSERT_TRUE(::FtpSetCurrentDirectoryA(ftp.Handle(), tree.Remote("b").c_str()));
    ASSERT_TRUE(Download("a/y.bin", scratch / "y.bin"));
    EXPECT_EQ(ReadBytes(scratch / "y.bin"), "y in b");
}

TEST_F(FtpDownloadTest, FileAfterAListingSetsItsFolderAgain)
{
    tree.Put("a/x.bin", "x in a");
    tree.Put("a/y.bin", "y in a");
    tree.Put("a/sub/y.bin", "y in a/sub");
    ASSERT_TRUE(Download("a/x.bin", scratch / "x.bin"));
    std::vector<DownloadRecord> records;
    ASSERT_TRUE(ListFtpFolder(ftp, tree.Remote("a"), tree.Remote("a"), records, "", true));  // ends in a/sub
    ASSERT_TRUE(Download("a/y.bin", scratch / "y.bin"));
    EXPECT_EQ(ReadBytes(scratch / "y.bin"), "y in a");
}

TEST_F(FtpDownloadTest, NewConnectionToTheSameServerSetsTheFolderAgain)
{
    tree.Put("a/x.bin", "x in a");
    tree.Put("a/y.bin", "y in a");
    ASSERT_TRUE(Download("a/x.bin", scratch / "x.bin"));
    EXPECT_FALSE(ftp.ConnectFtp("127.0.0.2", kUser, kPassword, kPort));  // the next address fails
    ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));       // back: a fresh login folder
    ASSERT_TRUE(Download("a/y.bin", scratch / "y.bin"));
    EXPECT_EQ(ReadBytes(scratch / "y.bin"), "y in a");
}

namespace {

// Pauses the transfer at its first progress report, as a user pressing
// Pause would.
class PausingView : public RecordingView {
public:
    explicit PausingView(TransferControl& control) : control_(control) {}
    void SetInfoText(const std::string& text) override
    {
        if (ReportCount() == 0) control_.Pause();
        RecordingView::SetInfoText(text);
    }

private:
    TransferControl& control_;
};

// A large download on its own thread, paused after its first block.
class FtpPausedDownload : public FtpDownloadTest {
protected:
    void SetUp() override
    {
        FtpDownloadTest::SetUp();
        tree.Put("large.bin", bytes);
        worker = std::thread([this] {
            result = FtpDownloadFile(ftp, control, pausing, tree.Remote("large.bin"), local, 0, 0);
            finished = true;
        });
        ASSERT_TRUE(WaitFor([this] { return pausing.ReportCount() > 0; }));
    }
    void TearDown() override
    {
        control.Stop();
        if (worker.joinable()) worker.join();
    }

    // The local file's size once it has stopped growing for a while.
    long long SettledSize()
    {
        long long size = LocalFileSize(local);
        for (;;) {
            ::Sleep(200);
            long long now = LocalFileSize(local);
            if (now == size) return size;
            size = now;
        }
    }

    const std::string bytes = PatternBytes(2 << 20);  // more than the first block, which is at most 1 MiB
    const std::string local = scratch / "large.bin";
    PausingView pausing{control};
    std::thread worker;
    std::atomic<bool> finished{false};
    std::atomic<bool> result{false};
};

}  // namespace

TEST_F(FtpPausedDownload, PauseHoldsTheTransferAndContinueFinishesIt)
{
    long long held = SettledSize();
    EXPECT_LT(held, static_cast<long long>(bytes.size()));
    EXPECT_FALSE(finished);

    control.Continue();
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ReadBytes(local), bytes);
    EXPECT_EQ(pausing.statuses, std::vector<std::string>{"OK!"});
}

TEST_F(FtpPausedDownload, StopEndsThePausedTransferAsAFailure)
{
    long long held = SettledSize();
    control.Stop();
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(LocalFileSize(local), held);
    EXPECT_TRUE(pausing.statuses.empty());
}

TEST_F(FtpPausedDownload, NothingIsWrittenAfterTheEndOfTheDownloadClosedTheFile)
{
    // The end of the download closes the open files; the transfer, woken
    // before it sees any stop, must not write to the closed file.
    long long held = SettledSize();
    control.Files().CloseAll();
    control.Continue();
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(LocalFileSize(local), held);
}
