// A blocking call runs on a pool thread; what it throws must come back to the
// caller's thread, where the run's edge catches it, instead of ending the
// process from the pool.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "download/blocking_caller.h"

using namespace quibo;

TEST(BlockingCaller, WhatACallThrowsIsThrownAgainOnTheCallersThreadAndTheCallerGoesOn)
{
    BlockingCaller caller;
    DWORD callThread = 0;
    EXPECT_THROW(caller.Run([&] {
        callThread = ::GetCurrentThreadId();
        throw std::bad_alloc();
    }, 10000),
                 std::bad_alloc);
    EXPECT_NE(callThread, ::GetCurrentThreadId());
    EXPECT_THROW(caller.Run([] { throw std::runtime_error("read failed"); }, 10000), std::runtime_error);
    // The thread still serves: the next call runs and nothing is thrown again.
    bool ran = false;
    EXPECT_TRUE(caller.Run([&] { ran = true; }, 10000));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(caller.LeftBehind());
}
