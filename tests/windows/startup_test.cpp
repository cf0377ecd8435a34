// Start-up on the real system: the single-instance mutex across processes,
// the folders behind the directory placeholders, files and processes, and the
// pre-settings with their box.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <future>
#include <thread>

#include "win/file_status.h"
#include "app/pre_settings.h"
#include "app/single_instance.h"
#include "app/system_folders.h"
#include "box_watcher.h"
#include "transfer_test_support.h"
#include "core/startup/program_names.h"
#include "win/canonical_path.h"
#include "win/scoped_handle.h"
#include "win/system_code_page.h"

using namespace quibo;

using transfertest::ScratchDir;

namespace {

// The build folder, where update.exe lies beside this test program.
std::string BuildFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return SplitModulePath(path, SystemLeadBytes()).folder;
}

// Starts a copy of update.exe under `name` in `folder`.
UniqueHandle StartUpdaterCopy(const std::string& folder, const std::string& name)
{
    std::string target = folder + name;
    if (!::CopyFileA((BuildFolder() + "update.exe").c_str(), target.c_str(), FALSE)) return UniqueHandle();
    std::string commandLine = "\"" + target + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi))
        return UniqueHandle();
    ::CloseHandle(pi.hThread);
    return UniqueHandle(pi.hProcess);
}

}  // namespace

// Holds the mutex on a thread of its own, as another process would: a mutex
// is owned by a thread, and the thread that owns it may always take it again.
class OtherOwner {
public:
    enum class Ending { Release, Abandon };

    OtherOwner(const std::string& name, DWORD holdMs, Ending ending)
        : thread_([=] {
              UniqueHandle mutex(::CreateMutexA(nullptr, TRUE, name.c_str()));
              ok_ = mutex && ::GetLastError() != ERROR_ALREADY_EXISTS;
              acquired_.set_value();
              ::Sleep(holdMs);
              // Ending the thread while it owns the mutex abandons it.
              if (ending == Ending::Release) ::ReleaseMutex(mutex.Get());
          })
    {
        acquired_.get_future().wait();
    }
    ~OtherOwner() { thread_.join(); }
    bool Held() const { return ok_; }

private:
    std::promise<void> acquired_;
    bool ok_ = false;
    std::thread thread_;
};

TEST(SingleInstance, WaitsForTheOwnerAndTakesAnAbandonedMutex)
{
    const std::string name = "updater_test_single_instance";
    {
        OtherOwner owner(name, 1500, OtherOwner::Ending::Release);
        ASSERT_TRUE(owner.Held());
        DWORD start = ::GetTickCount();
        SingleInstance second = SingleInstance::Acquire(name, 300);
        DWORD waited = ::GetTickCount() - start;
        EXPECT_FALSE(second.Held());
        EXPECT_GE(waited, 280u);
        EXPECT_LT(waited, 1200u);

        SingleInstance third = SingleInstance::Acquire(name, 10000);  // once released
        EXPECT_TRUE(third.Held());
    }
    {
        OtherOwner owner(name, 100, OtherOwner::Ending::Abandon);
        ASSERT_TRUE(owner.Held());
        SingleInstance next = SingleInstance::Acquire(name, 10000);
        EXPECT_TRUE(next.Held()) << "an abandoned mutex was not taken";
    }
}

TEST(SingleInstance, SecondProgramAndItsTemporaryCopyWaitForTheFirst)
{
    ScratchDir scratch;
    const std::string& folder = scratch.Path();
    for (const char* name : {"update.exe", "update.exe.exe"}) {
        SCOPED_TRACE(name);
        // Hold the mutex the program in `folder` will ask for, as a running updater would.
        SingleInstance running =
            SingleInstance::Acquire(MutexNameFor(CanonicalPath(folder + "update.exe"), SystemLeadBytes()), 0);
        ASSERT_TRUE(running.Held());

        UniqueHandle second = StartUpdaterCopy(folder, name);
        ASSERT_TRUE(second);
        EXPECT_EQ(::WaitForSingleObject(second.Get(), 2500), static_cast<DWORD>(WAIT_TIMEOUT))
            << "did not wait";
        EXPECT_NE(FindProcessByName(name), 0u);

        // Once released it goes on, to the box about its missing package.
        BoxWatcher watcher(IDOK, ::GetProcessId(second.Get()));
        running.Release();
        EXPECT_EQ(::WaitForSingleObject(second.Get(), 10000), WAIT_OBJECT_0) << "did not go on once released";
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "错误：没有找到客户端配置文件:update.bin");
        EXPECT_EQ(boxes[0].caption, name == std::string("update.exe") ? "update" : "update.exe");
        second.Reset();
        ::DeleteFileA((folder + name).c_str());
    }
}

TEST(FileStatus, FileExistsNonEmptyNeedsAFileWithBytes)
{
    ScratchDir scratch;
    const std::string& folder = scratch.Path();
    std::ofstream(folder + "empty.bin").close();
    std::ofstream(folder + "full.bin") << "x";
    EXPECT_FALSE(FileExistsNonEmpty(""));
    EXPECT_FALSE(FileExistsNonEmpty(folder + "missing.bin"));
    EXPECT_FALSE(FileExistsNonEmpty(folder + "empty.bin"));
    EXPECT_FALSE(FileExistsNonEmpty(folder));
    EXPECT_TRUE(FileExistsNonEmpty(folder + "full.bin"));
}

TEST(FileStatus, FindProcessByNameNeverAnswersItself)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self = SplitModulePath(path, SystemLeadBytes()).fileName;
    EXPECT_EQ(FindProcessByName(self), 0u);
    EXPECT_EQ(FindProcessByName("no_such_program.exe"), 0u);
}

TEST(SystemFolders, PlaceholderValuesHaveNoTrailingBackslash)
{
    SystemFolders folders = ReadSystemFolders();
    EXPECT_FALSE(folders.windows.empty());
    EXPECT_FALSE(folders.system.empty());
    EXPECT_FALSE(folders.temp.empty());
    EXPECT_FALSE(folders.programFiles.empty());

    DirConstants dirs = ComputeDirConstants("C:\\Program Files\\Product\\", folders, SystemLeadBytes());
    EXPECT_EQ(dirs[DirConstant::AppDrive], "C:");
    EXPECT_EQ(dirs[DirConstant::Parent], "C:\\Program Files");
    for (const std::string& value : dirs.values) {
        ASSERT_FALSE(value.empty());
        EXPECT_NE(value.back(), '\\') << value;
    }
    EXPECT_EQ(::GetFileAttributesA(dirs[DirConstant::Temp].c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST(PreSettings, EachSwitchIsOnOnlyWhenSetToZero)
{
    struct Case {
        const char* text;
        bool log;
        bool tray;
    } cases[] = {
        {"", false, true},  // nothing readable: no log, tray on
        {"[pre]\r\n", false, false},
        {"[pre]\r\ncloselog=0\r\n", true, false},
        {"[pre]\r\ncloselog=0\r\nclosetray=0\r\n", true, true},
        {"[pre]\r\ncloselog=1\r\nclosetray=\r\n", false, true},  // empty reads as 0
        {"[other]\r\ncloselog=0\r\n", false, false},
    };
    for (const Case& c : cases) {
        PreSettings s = ParsePreSettings(c.text);
        EXPECT_EQ(s.logEnabled, c.log) << c.text;
        EXPECT_EQ(s.trayEnabled, c.tray) << c.text;
    }
}

TEST(PreSettings, MissingOrEmptyPackageIsReportedInABox)
{
    ScratchDir scratch;
    const std::string& folder = scratch.Path();
    std::ofstream(folder + "empty.bin").close();
    for (const char* package : {"missing.bin", "empty.bin"}) {
        BoxWatcher watcher(IDOK);
        PreSettings settings;
        EXPECT_FALSE(LoadPreSettings(folder, package, settings));
        ::Sleep(100);
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << package;
        EXPECT_EQ(boxes[0].text, std::string("错误：没有找到客户端配置文件:") + package);
    }
}
