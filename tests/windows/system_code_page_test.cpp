// Paths the system hands over are read with the lead bytes of the system's
// ANSI code page. On a Chinese system that is code page 936; a Western one
// (1252) has none, and there "é" followed by "\" is two characters. These
// tests run on both systems (cmake/windows.cmake).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/single_instance.h"
#include "core/startup/program_names.h"
#include "core/config/dir_constants.h"
#include "transfer_test_support.h"
#include "win/folder_path.h"
#include "win/system_code_page.h"

using namespace quibo;

namespace {

// "Café" in the system code page: "é" is one byte in 1252, two in 936.
std::string Cafe()
{
    char bytes[16] = {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, L"Caf\u00E9", -1, bytes, sizeof bytes, nullptr, nullptr);
    return n > 1 ? std::string(bytes, static_cast<size_t>(n - 1)) : std::string();
}

TEST(SystemCodePage, ABackslashAfterAnAccentedLetterStillSeparatesFolders)
{
    transfertest::ScratchDir scratch;
    const std::string cafe = Cafe();
    ASSERT_FALSE(cafe.empty());
    const std::string folder = scratch.Path() + cafe + "\\";
    const LeadByteRule rule = SystemLeadBytes();

    EXPECT_TRUE(CreateFolderPath(folder + "sub\\deep\\"));
    EXPECT_TRUE(IsFolder(folder + "sub\\deep"));

    // The program's own path and the names made from it.
    ModulePathParts parts = SplitModulePath(folder + cafe + ".exe", rule);
    EXPECT_EQ(parts.folder, folder);
    EXPECT_EQ(parts.fileName, cafe + ".exe");
    EXPECT_EQ(PackageNameFor(parts.fileName, rule), cafe + ".bin");
    SystemFolders system{folder, folder, folder, folder, folder, folder, folder};
    DirConstants dirs = ComputeDirConstants(folder + "App\\", system, rule);
    EXPECT_EQ(dirs.values[1], scratch.Path() + cafe);  // {parent}
    EXPECT_EQ(dirs.values[2], scratch.Path() + cafe);  // {win}, without its "\"

    // A "\" left in the mutex name would make Windows look for a namespace.
    std::string mutex = MutexNameFor(folder + "update.exe", rule);
    EXPECT_EQ(mutex.find('\\'), std::string::npos) << mutex;
    EXPECT_TRUE(SingleInstance::Acquire(mutex, 10).Held());

    ::RemoveDirectoryA((folder + "sub\\deep").c_str());
    ::RemoveDirectoryA((folder + "sub").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
