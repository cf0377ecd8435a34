// The edge of the run: whatever escapes a step is logged, and the caller goes
// on to its end sequence.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "core/startup/run_guard.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

TEST(RunGuard, WhateverEscapesAStepIsLoggedAndAnsweredWithFalse)
{
    struct Case {
        const char* what;
        std::function<void()> step;
        bool ok;
        std::string line;
    } cases[] = {
        {"normal end", [] { WriteLog("step"); }, true, ""},
        {"memory exhausted", [] { throw std::bad_alloc(); }, false,
         "错误：升级程序运行出错（std::bad_alloc），中止升级！"},
        {"a standard error", [] { throw std::length_error("basic_string::_M_create"); }, false,
         "错误：升级程序运行出错（basic_string::_M_create），中止升级！"},
        {"anything else", [] { throw 42; }, false, "错误：升级程序运行出错（unknown），中止升级！"},
    };
    for (const Case& c : cases) {
        LogCapture log("run_guard_test.log");
        EXPECT_EQ(RunCaught(c.step), c.ok) << c.what;
        std::vector<std::string> lines = log.Lines();
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_EQ(lines[0], c.ok ? "step" : c.line) << c.what;
    }
}

}  // namespace
