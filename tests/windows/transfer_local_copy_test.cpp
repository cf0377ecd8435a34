// Copies from "file:" addresses: local and network folders.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "download/local_copy.h"
#include "recording_view.h"
#include "transfer_test_support.h"

using namespace quibo;

using namespace transfertest;

namespace {

class LocalCopyTest : public ::testing::Test {
protected:
    LocalCopyTest() { control.hostWindow = host.Handle(); }

    ScratchDir dir;
    HostWindow host;
    TransferControl control;
    RecordingView view;
};

}  // namespace

TEST_F(LocalCopyTest, CopiesEveryByteShowingMegabytesPerSecond)
{
    const std::string bytes = PatternBytes(3 * 1048576 + 524288 + 5);  // several blocks and a short one
    ::CreateDirectoryA((dir / "源 目录").c_str(), nullptr);
    const std::string source = dir / "源 目录\\升级 文件.bin";
    WriteBytes(source, bytes);

    ASSERT_TRUE(CopyLocalFile(control, view, source, dir / "目标.bin", 0));
    EXPECT_TRUE(ReadBytes(dir / "目标.bin") == bytes);
    EXPECT_EQ(view.RowName(0), "file.bin(3.5MB)");
    EXPECT_EQ(view.statuses, std::vector<std::string>{"OK!"});
    EXPECT_EQ(view.LastRowProgress(0), 100);
    for (const std::string& speed : view.rowSpeed[0])
        EXPECT_TRUE(speed.empty() || speed.substr(speed.size() - 4) == "MB/s") << speed;
    ::DeleteFileA(source.c_str());
    ::RemoveDirectoryA((dir / "源 目录").c_str());
}

TEST_F(LocalCopyTest, EmptySourceIsCompleteAtOnce)
{
    WriteBytes(dir / "empty.bin", "");
    ASSERT_TRUE(CopyLocalFile(control, view, dir / "empty.bin", dir / "copy.bin", 0));
    EXPECT_TRUE(FileExists(dir / "copy.bin"));
    EXPECT_EQ(view.LastFileProgress(), 100);
    auto messages = host.Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].lParam, 100);  // 2021: 100 percent
    EXPECT_EQ(messages[1].wParam, 0u);   // 2020: 0 of 0 bytes
}

TEST_F(LocalCopyTest, FailuresAreLogged)
{
    WriteBytes(dir / "present.bin", "data");
    const struct {
        std::string source, target, logged;
    } cases[] = {
        {dir / "absent.bin", dir / "copy.bin", "读文件失败！" + (dir / "absent.bin")},
        {dir / "present.bin", dir / "no folder\\copy.bin", "创建文件失败！"},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_FALSE(CopyLocalFile(control, view, c.source, c.target, 0));
        EXPECT_NE(log.Text().find(c.logged + "\r\n"), std::string::npos) << c.logged;
        EXPECT_FALSE(FileExists(c.target));
    }
    EXPECT_TRUE(view.statuses.empty());
}

TEST_F(LocalCopyTest, StopWhilePausedEndsTheCopy)
{
    WriteBytes(dir / "large.bin", PatternBytes(8 * 1048576));
    control.Pause();  // the copy writes its first block, then waits
    std::atomic<bool> done{false};
    bool result = true;
    std::thread copy([&] {
        result = CopyLocalFile(control, view, dir / "large.bin", dir / "copy.bin", 0);
        done = true;
    });
    ASSERT_TRUE(WaitFor([&] { return view.ReportCount() > 0; }));
    ::Sleep(100);
    EXPECT_FALSE(done);
    control.Stop();
    control.Files().CloseAll();
    EXPECT_TRUE(WaitFor([&] { return done.load(); }, 5));
    copy.join();
    EXPECT_FALSE(result);
    EXPECT_LT(ReadBytes(dir / "copy.bin").size(), 8u * 1048576);
    EXPECT_TRUE(view.statuses.empty());
}
