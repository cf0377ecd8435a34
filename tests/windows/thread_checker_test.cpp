// The thread rules are checked while the tests run: a window object used from
// a thread other than its own stops the program at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "ui/system_tray.h"
#include "win/thread_checker.h"

using namespace quibo;

TEST(ThreadChecker, KnowsItsOwnThreadAndCanBeHandedOver)
{
    ThreadChecker checker;
    EXPECT_TRUE(checker.CalledOnValidThread());
    bool onOther = true, afterHandOver = false;
    std::thread([&] {
        onOther = checker.CalledOnValidThread();
        checker.BindToCurrentThread();
        afterHandOver = checker.CalledOnValidThread();
    }).join();
    EXPECT_FALSE(onOther);
    EXPECT_TRUE(afterHandOver);
    EXPECT_FALSE(checker.CalledOnValidThread());
}

TEST(ThreadCheckerDeathTest, ATrayTouchedFromAWorkerStopsTheTestBuild)
{
#ifdef NDEBUG
    FAIL() << "the Windows tests are built without assertions: the thread rules go unchecked";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            CSystemTray tray;
            std::thread([&] { tray.SetTrayTip("from a worker"); }).join();
        },
        "CalledOnValidThread");
}
