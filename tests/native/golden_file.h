// Golden files: a test compares what the program writes with a committed file
// and never writes that file itself, so a missing golden is a failure, not a
// fresh start. tools/update-golden regenerates them: it names a folder in
// UPDATER_GOLDEN_ACTUAL, where each test leaves what it got under the golden's
// path from the repository root, and copies those over the goldens afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

// `path` is relative to tests/native, where the tests run; `actualFolder` is
// where what the test got is left, if anywhere.
inline void ExpectMatchesGolden(const std::string& actual, const std::string& path,
                                const char* actualFolder = std::getenv("UPDATER_GOLDEN_ACTUAL"))
{
    if (const char* folder = actualFolder) {
        std::filesystem::path target = std::filesystem::path(folder) / "tests" / "native" / path;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << actual;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "golden file " << path << " is missing; tools/update-golden makes it";
        return;
    }
    std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(actual, golden) << "differs from " << path << "; after review, tools/update-golden rewrites it";
}
