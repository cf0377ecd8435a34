// The page's transfer state: pausing, stopping, and the registry that keeps a
// transfer from writing to a file the page has closed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "download/target_file.h"
#include "download/transfer_control.h"
#include "transfer_test_support.h"
#include "win/scoped_handle.h"

using namespace quibo;

using namespace transfertest;

namespace {

// Runs control.WaitIfPaused() on a thread; Done() tells whether it returned.
class Waiter {
public:
    explicit Waiter(TransferControl& control)
        : thread_([this, &control] {
              control.WaitIfPaused();
              done_ = true;
          })
    {
    }
    ~Waiter() { thread_.join(); }
    bool Done() const { return done_; }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// A transfer that waits now is held until Continue, and only until then.
void ExpectHeldUntilContinue(TransferControl& control)
{
    Waiter waiter(control);
    ::Sleep(100);
    EXPECT_FALSE(waiter.Done());
    control.Continue();
    EXPECT_TRUE(WaitFor([&] { return waiter.Done(); }, 2));
}

}  // namespace

TEST(TransferControl, PausedTransferWaitsUntilContinue)
{
    TransferControl control;
    control.Pause();
    ExpectHeldUntilContinue(control);
}

TEST(TransferControl, EarlierContinueDoesNotEndALaterPause)
{
    // Continue without a waiter leaves the auto-reset event signalled.
    TransferControl control;
    control.Continue();
    control.Pause();
    ExpectHeldUntilContinue(control);
}

TEST(TransferControl, StopEndsAPause)
{
    TransferControl control;
    control.Pause();
    Waiter waiter(control);
    ::Sleep(50);
    control.Stop();
    EXPECT_TRUE(WaitFor([&] { return waiter.Done(); }, 2));
    EXPECT_TRUE(control.paused);
}

TEST(OpenFileRegistry, WriteAfterCloseAllReachesNoFile)
{
    ScratchDir dir;
    OpenFileRegistry registry;
    TargetFile transfer(registry, dir / "transfer.bin");
    ASSERT_TRUE(transfer.IsOpen());
    ASSERT_TRUE(transfer.Write("abc", 3));

    registry.CloseAll();  // the end of the download
    // The freed handle value is handed out again: a write through it would
    // land in this unrelated file.
    UniqueFileHandle other(::CreateFileA((dir / "other.bin").c_str(), GENERIC_WRITE | GENERIC_READ, 0,
                                         nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(other);

    EXPECT_FALSE(transfer.Write("xyz", 3));
    EXPECT_FALSE(transfer.Close());
    EXPECT_EQ(::GetFileSize(other.Get(), nullptr), 0u);
    other.Reset();
    EXPECT_EQ(ReadBytes(dir / "transfer.bin"), "abc");
}

TEST(OpenFileRegistry, TransferClosesItsOwnFileAndTheRegistryForgetsIt)
{
    ScratchDir dir;
    OpenFileRegistry registry;
    {
        TargetFile file(registry, dir / "own.bin");
        ASSERT_TRUE(file.Write("data", 4));
        EXPECT_TRUE(file.Close());
        EXPECT_FALSE(file.Write("more", 4));
    }
    registry.CloseAll();  // nothing left to close twice
    EXPECT_EQ(ReadBytes(dir / "own.bin"), "data");
    EXPECT_TRUE(::DeleteFileA((dir / "own.bin").c_str()));
}

TEST(OpenFileRegistry, TargetFileThatCannotBeCreatedIsNotRegistered)
{
    ScratchDir dir;
    OpenFileRegistry registry;
    TargetFile file(registry, dir / "missing folder\\file.bin");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Write("x", 1));
}
